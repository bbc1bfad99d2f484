#include "tools/pedestal-web/Termination.h"

#include <boost/asio/signal_set.hpp>

#include <csignal>
#include <memory>

void StopOnTermination(boost::asio::io_context& loop, std::function<void()> stop) {
    auto signals = std::make_shared<boost::asio::signal_set>(loop, SIGINT, SIGTERM, SIGHUP);
    signals->async_wait([signals, stop = std::move(stop)](const boost::system::error_code& ec, int) {
        if (!ec)
            stop();
    });
}

void TerminationDone() {}
