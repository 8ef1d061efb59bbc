// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "probe/echo_reply.h"

namespace orvane2 {

// Echo requests to many hosts at once over one echo service opened for the batch:
// every request is sent without waiting for the answers of the others, and one
// receiver routes each answer to its own request. The requests carry no payload.
//
// Threads: one thread, the batch's own, creates it (ProbePlatform::OpenEchoBatch),
// calls Send and Collect, and destroys it; only Wake may be called from other threads.
// The batch needs no wait object per request, so any number of requests may be out
// at once.
class EchoBatch {
public:
    using Clock = std::chrono::steady_clock;
    // Told the result of one request: the number Send was given for it, and what came
    // back, as the first reply record would tell it (echo_reply.h): the echo reply, or
    // the ICMP error, about the request; or, when nothing came, a record of zeros but
    // for the IP status that says why, which is never 0 (11010 timed out, or the status
    // of a failed send). EchoStatus tells whether it answers the request.
    using ResultSink = std::function<void(std::size_t request, const EchoReplyRecord& result)>;

    // Closes the echo service. Requests still out are abandoned and never reported. It
    // returns only when the platform touches nothing of the batch any more: where
    // requests complete asynchronously (an APC, an event), it cancels them or waits for
    // them first, which takes at most the longest timeout given to Send.
    virtual ~EchoBatch() = default;

    // Sends one echo request, with no payload, to destination (network byte order). Its
    // deadline is timeoutMs after this call (a negative timeout counts as 0). request is
    // the caller's number for it, unique within the batch, and comes back with its
    // result. Does not wait for the answer: a send that fails is not reported here but
    // by the next Collect, as that request's result.
    virtual void Send(std::size_t request, std::uint32_t destination, std::int32_t timeoutMs) = 0;

    // Waits until a request sent here has a result that was not yet handed out, until
    // Wake() is called, or until `until`, whichever comes first, and then hands every
    // result known by then to sink, each request's exactly once. A request's result is
    // known when its answer or an ICMP error about it has come, its send failed, or its
    // deadline has passed; answers to anything else, errors about
    // anything else and late answers are read and dropped. Returns at once when a
    // result is already known or a wake-up is pending. With nothing out, it waits for
    // Wake() or `until` only.
    virtual void Collect(Clock::time_point until, const ResultSink& sink) = 0;

    // Ends the Collect that is waiting now, or else the next one, at once. Any thread may
    // call it at any time while the batch exists; it never blocks for long and never
    // throws. Wake-ups before a Collect do not add up: the Collect ends once.
    virtual void Wake() = 0;
};

}  // namespace orvane2
