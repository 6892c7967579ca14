#pragma once

namespace io {

/** Makes standard output carry bytes unchanged (no CRLF translation on Windows). The one place that knows about
 *  the platform's C runtime. */
void setBinaryStandardOutput();

} // namespace io
