#include "tools/pedestal-web/Termination.h"

#include <boost/asio/signal_set.hpp>

#include <csignal>

std::shared_ptr<void> StopOnTermination(boost::asio::io_context& loop) {
    // The set keeps its handlers installed as long as it exists, waited on
    // or not: signals after the first are held for it instead of killing.
    auto signals = std::make_shared<boost::asio::signal_set>(loop, SIGINT, SIGTERM, SIGHUP);
    signals->async_wait([&loop](const boost::system::error_code& ec, int) {
        if (!ec)
            loop.stop();
    });
    return signals;
}

void TerminationDone() {}
