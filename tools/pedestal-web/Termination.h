// Ctrl+C, SIGTERM and a hang-up (on Windows: Ctrl+C, Ctrl+Break and closing
// the console) stop the headless pedestal the way a closed window stops the
// window: it leaves its loop and detaches from the block.
#pragma once

#include <boost/asio/io_context.hpp>

#include <memory>

// Stops the loop when a termination request arrives. Set up before the
// block is attached, and kept (the result) until it is detached: while it
// lives, further requests are caught too, so that a second Ctrl+C during the
// shutdown cannot end the process before the detach.
std::shared_ptr<void> StopOnTermination(boost::asio::io_context& loop);
// Tells a waiting console handler that the detach is done.
void TerminationDone();
