// Boost.URL's compiled part, once for every program that links the web
// library: Debian ships Boost.URL as headers only, and a second copy in
// another file would define its functions twice.
#include <boost/url/src.hpp>
