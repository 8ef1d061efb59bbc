// SPDX-License-Identifier: MIT
// A Qt style that any user can make the program load (QT_PLUGIN_PATH, QT_STYLE_OVERRIDE=
// orvane2probe): it writes the process's /proc/self/status and whether a packet socket
// and a raw ICMP socket open to $STYLE_PROBE_LOG, then hands Qt the Fusion style.
#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <QStyleFactory>
#include <QStylePlugin>
#include <cstdlib>
#include <fstream>

#include "probe/linux/unique_fd.h"

class StyleProbe : public QStylePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QStyleFactoryInterface_iid FILE "style_probe.json")

public:
    QStyle* create(const QString&) override
    {
        std::ofstream log(std::getenv("STYLE_PROBE_LOG"));
        log << std::ifstream("/proc/self/status").rdbuf();
        const orvane2::UniqueFd packet(::socket(AF_PACKET, SOCK_RAW, htons(ETH_P_ALL)));
        const orvane2::UniqueFd icmp(::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP));
        log << "packet socket " << (packet ? "opened" : "refused") << "\nraw ICMP socket "
            << (icmp ? "opened" : "refused") << '\n';
        return QStyleFactory::create(QStringLiteral("Fusion"));
    }
};

#include "style_probe.moc"
