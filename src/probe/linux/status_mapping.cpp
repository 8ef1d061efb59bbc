// SPDX-License-Identifier: MIT
#include "probe/linux/status_mapping.h"

#include <netdb.h>

#include <cerrno>

#include "probe/linux/icmp_packet.h"
#include "probe/status_codes.h"

namespace orvane2 {

using namespace codes;

std::int32_t IpStatusForIcmpError(std::uint8_t type, std::uint8_t code)
{
    switch (type) {
        case icmp::kDestUnreachable:
            switch (code) {
                case 0:   // net unreachable
                case 6:   // destination net unknown
                case 9:   // net administratively prohibited
                case 11:  // net unreachable for type of service
                    return kIpDestNetUnreachable;
                case 2:
                    return kIpDestProtUnreachable;
                case 3:
                    return kIpDestPortUnreachable;
                case 4:  // fragmentation needed but "don't fragment" set
                    return kIpPacketTooBig;
                case 5:  // source route failed
                    return kIpBadRoute;
                default:  // host unreachable, unknown, isolated, prohibited, precedence
                    return kIpDestHostUnreachable;
            }
        case icmp::kTimeExceeded:
            return code == 1 ? kIpTtlExpiredReassem : kIpTtlExpiredTransit;
        case icmp::kParameterProblem:
            return kIpParamProblem;
        default:
            return kIpGeneralFailure;
    }
}

std::int32_t IpStatusForErrno(int error)
{
    switch (error) {
        case ENETUNREACH:
            return kIpDestNetUnreachable;
        case EHOSTUNREACH:
            return kIpDestHostUnreachable;
        case EMSGSIZE:
            return kIpPacketTooBig;
        case ENOBUFS:
        case ENOMEM:
            return kIpNoResources;
        case EBADF:
        case ENOTSOCK:
            return kErrorInvalidHandle;
        default:
            return kIpGeneralFailure;
    }
}

std::int32_t WsaErrorForLookup(int gaiError)
{
    switch (gaiError) {
        case EAI_NONAME:
            return kWsaHostNotFound;
        case EAI_AGAIN:
            return kWsaTryAgain;
        case EAI_NODATA:
        case EAI_ADDRFAMILY:
            return kWsaNoData;
        case EAI_MEMORY:
            return kErrorNotEnoughMemory;
        default:  // EAI_FAIL, EAI_SYSTEM and anything unexpected
            return kWsaNoRecovery;
    }
}

}  // namespace orvane2
