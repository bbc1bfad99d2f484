// Ctrl+C, SIGTERM and a hang-up (on Windows: Ctrl+C, Ctrl+Break and closing
// the console) stop the headless pedestal the way a closed window stops the
// window: it leaves its loop and detaches from the block.
#pragma once

#include <boost/asio/io_context.hpp>

#include <functional>

// Runs stop on the loop's thread when a termination request arrives.
void StopOnTermination(boost::asio::io_context& loop, std::function<void()> stop);
// Tells a waiting console handler that the detach is done.
void TerminationDone();
