// Whether the tests run under Wine, whose sockets take far more than the
// buffers a test asks for before a write waits.
#pragma once

bool RunningUnderWine();
