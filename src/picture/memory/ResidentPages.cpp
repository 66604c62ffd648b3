#include "ResidentPages.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#elif defined(Q_OS_WIN)
#include <windows.h>

#include <algorithm>
#include <cstdint>
#endif

namespace ResidentPages {

void GiveBack(QByteArrayView bytes) {
#ifdef Q_OS_LINUX
    if (bytes.isEmpty()) return;
    const auto begin = reinterpret_cast<std::uintptr_t>(bytes.data());
    const std::uintptr_t end = begin + std::uintptr_t(bytes.size());
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        // start-end perms offset device inode [path]
        std::istringstream fields(line);
        std::uintptr_t start = 0, stop = 0;
        char dash = 0;
        std::string perms, offset, device;
        unsigned long inode = 0;
        if (!(fields >> std::hex >> start >> dash >> stop >> perms >> offset >> device >>
              std::dec >> inode))
            continue;
        if (stop <= begin || start >= end) continue;
        // Only a file's own, unwritten pages come back unchanged; a private
        // page that was ever writable may hold the only copy of its data.
        if (inode == 0 || perms.size() < 2 || perms[1] == 'w') continue;
        const std::uintptr_t from = (std::max(start, begin) + page - 1) & ~(page - 1);
        const std::uintptr_t to = std::min(stop, end) & ~(page - 1);
        if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    }
#elif defined(Q_OS_WIN)
    if (bytes.isEmpty()) return;
    const auto begin = reinterpret_cast<std::uintptr_t>(bytes.data());
    const std::uintptr_t end = begin + std::uintptr_t(bytes.size());
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const std::uintptr_t page = system.dwPageSize;
    for (std::uintptr_t at = begin; at < end;) {
        MEMORY_BASIC_INFORMATION region{};
        if (!VirtualQuery(reinterpret_cast<void*>(at), &region, sizeof region)) return;
        const auto start = reinterpret_cast<std::uintptr_t>(region.BaseAddress);
        const std::uintptr_t stop = start + region.RegionSize;
        // Pages of the executable's image or of a mapped file that were never
        // writable: the system reads them again from the file. Unlocking pages
        // that aren't locked takes them out of the working set.
        const DWORD readOnly = PAGE_READONLY | PAGE_EXECUTE_READ;
        if (region.State == MEM_COMMIT && (region.Type == MEM_IMAGE || region.Type == MEM_MAPPED) &&
            (region.Protect & readOnly) && !(region.Protect & PAGE_GUARD)) {
            const std::uintptr_t from = (std::max(start, begin) + page - 1) & ~(page - 1);
            const std::uintptr_t to = std::min(stop, end) & ~(page - 1);
            if (to > from) VirtualUnlock(reinterpret_cast<void*>(from), to - from);
        }
        at = stop;
    }
#else
    Q_UNUSED(bytes);
#endif
}

}  // namespace ResidentPages
