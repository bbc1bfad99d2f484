#include "web/SocketSetup.h"

#include <winsock2.h>

namespace web {

void PrepareListener(boost::asio::ip::tcp::acceptor& acceptor) {
    // Windows frees the port at once; SO_REUSEADDR there would let another
    // program bind the same port and read the clients' commands.
    using Exclusive = boost::asio::detail::socket_option::boolean<SOL_SOCKET, SO_EXCLUSIVEADDRUSE>;
    boost::system::error_code ignored;
    acceptor.set_option(Exclusive(true), ignored);
}

} // namespace web
