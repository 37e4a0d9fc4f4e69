// Rebinds one import of a loaded module, for as long as the patch object lives: the way a test
// makes one platform call fail inside the real DLL. Plain Win32, no standard library, so that
// hosts of every build can use it.
#ifndef MOKACOMM_TESTS_IMPORT_PATCH_H
#define MOKACOMM_TESTS_IMPORT_PATCH_H

#include <windows.h>

class ImportPatch {
public:
    // Points `module`'s import of `function` from `dll` (compared without regard to case) at
    // `replacement`. Ok() tells whether the import was found and rebound.
    ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement)
    {
        slot = FindSlot(module, dll, function);
        if (slot) {
            original = *slot;
            Write(replacement);
        }
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    ~ImportPatch()
    {
        if (slot)
            Write(original);
    }

    bool Ok() const { return slot != nullptr; }

private:
    static void** FindSlot(HMODULE module, const char* dll, const char* function)
    {
        if (!module)
            return nullptr;
        auto* base = reinterpret_cast<BYTE*>(module);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& directory =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (directory.VirtualAddress == 0)
            return nullptr;
        for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
                 base + directory.VirtualAddress);
             entry->Name != 0; ++entry) {
            if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0)
                continue;
            // The names come from the lookup table; the bound addresses sit at the same index
            // of the address table.
            const DWORD lookup = entry->OriginalFirstThunk ? entry->OriginalFirstThunk
                                                           : entry->FirstThunk;
            auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + lookup);
            auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                const auto* byName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) == 0)
                    return reinterpret_cast<void**>(&addresses->u1.Function);
            }
        }
        return nullptr;
    }

    // The address table may lie in read-only memory once the loader is done with it.
    void Write(void* value)
    {
        DWORD protection = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
        *slot = value;
        VirtualProtect(slot, sizeof *slot, protection, &protection);
    }

    void** slot = nullptr;
    void* original = nullptr;
};

#endif
