// SPDX-License-Identifier: MIT
#pragma once

#include "core/form1.h"
#include "qt/qt_form_services.h"
#include "qt/qt_form_view.h"

#include <QApplication>
#include <QByteArrayList>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// The real window and services, made and loaded as main() makes them, on Qt's offscreen
// platform unless QT_QPA_PLATFORM says otherwise. Its board is one group holding the given
// hosts (host I labelled "hostI"), checked once an hour so that the window's own timer
// stays out of the benchmark's way: the benchmark starts the cycles itself, as a tick would.
class BenchWindow {
public:
    BenchWindow(char* program, const QByteArrayList& hosts,
                const std::function<std::unique_ptr<orvane2::HostProbe>()>& createProbe)
        : program_{program, nullptr}
    {
        view_.Bind(form);
        QFile config(dir_.filePath(QStringLiteral("bench.cfg")));
        loaded_ = config.open(QIODevice::WriteOnly);
        if (loaded_) {
            config.write("checkinterval 3600\ngroup Bench\n");
            for (qsizetype i = 0; i < hosts.size(); ++i)
                config.write(hosts[i] + " host" + QByteArray::number(i + 1) + "\n");
            config.close();
            form.Load(config.fileName().toStdString(), createProbe);
        }
        view_.show();
    }
    bool Loaded() const { return loaded_; }

private:
    static int Offscreen()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return 1;
    }

    int argc_ = Offscreen();
    char* program_[2];
    QApplication app_{argc_, program_};
    QTemporaryDir dir_;
    orvane2::QtFormServices services_;
    orvane2::QtFormView view_;
    bool loaded_ = false;

public:
    orvane2::Form1 form{services_, view_};
};
