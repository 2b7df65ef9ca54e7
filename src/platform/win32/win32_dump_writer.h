// Minidumps through MiniDumpWriteDump of dbghelp.dll, loaded from the
// system folder at the first dump; the folder's calls through kernel32;
// each job on a thread of its own.
#ifndef ZARN_PLATFORM_WIN32_WIN32_DUMP_WRITER_H_
#define ZARN_PLATFORM_WIN32_WIN32_DUMP_WRITER_H_

#include <memory>

#include "platform/dump_writer.h"

namespace zarn {

std::unique_ptr<DumpWriter> NewWin32DumpWriter();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_DUMP_WRITER_H_
