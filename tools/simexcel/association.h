// SimExcel's association of scenario files (.zsim) with itself, the way an
// Office installation associates .xls with EXCEL.EXE: what /register and
// /unregister do.
#ifndef ZARN_TOOLS_SIMEXCEL_ASSOCIATION_H_
#define ZARN_TOOLS_SIMEXCEL_ASSOCIATION_H_

#include <string>

namespace zarn::sim {

// Associates .zsim with `program`, which opens the file given as its one
// argument, in the user's classes and, where it may, the machine's. 0 when
// the user's classes took it, 1 when not.
int Register(const std::wstring& program);

// Removes, in the user's and the machine's classes, what Register wrote:
// .zsim's default value where it still names our class, and the class's
// open command; then the keys this leaves empty. Another program's
// association of .zsim, and anything else beside ours, stays. 0 when
// nothing of ours is left; 1 when some was refused, as the machine's
// classes are to a process that is not elevated.
int Unregister();

}  // namespace zarn::sim

#endif  // ZARN_TOOLS_SIMEXCEL_ASSOCIATION_H_
