#include "web/SocketSetup.h"

namespace web {

void PrepareListener(boost::asio::ip::tcp::acceptor& acceptor) {
    // Sockets of the previous run linger in TIME_WAIT; they must not hold the port.
    boost::system::error_code ignored;
    acceptor.set_option(boost::asio::socket_base::reuse_address(true), ignored);
}

} // namespace web
