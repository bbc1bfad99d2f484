// The one listening-socket option that differs by platform: a restarted
// server must rebind its port at once on POSIX, while on Windows the same
// option would let another program take the port over.
#pragma once

#include <boost/asio/ip/tcp.hpp>

namespace web {

void PrepareListener(boost::asio::ip::tcp::acceptor& acceptor);

} // namespace web
