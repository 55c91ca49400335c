// Points one import of a loaded module (its entry in the module's import
// address table) at a replacement for the patch's lifetime, so that a test
// can hand the module what the system would hand it on Windows when Wine
// behaves otherwise.
#pragma once

#include <windows.h>

#include <cstring>

namespace lumo_test {

class ImportPatch {
public:
    ImportPatch(HMODULE module, const char *dll, const char *function, void *replacement) {
        slot_ = FindSlot(module, dll, function);
        if (slot_ == nullptr) return;
        original_ = *slot_;
        Write(reinterpret_cast<ULONG_PTR>(replacement));
    }
    ~ImportPatch() {
        if (slot_ != nullptr) Write(original_);
    }
    ImportPatch(const ImportPatch &) = delete;
    ImportPatch &operator=(const ImportPatch &) = delete;

    bool patched() const { return slot_ != nullptr; }

private:
    static ULONG_PTR *FindSlot(HMODULE module, const char *dll, const char *function) {
        if (module == nullptr) return nullptr;
        auto *base = reinterpret_cast<BYTE *>(module);
        const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
        const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0) return nullptr;
        for (auto *entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
             entry->Name != 0; ++entry) {
            if (lstrcmpiA(reinterpret_cast<const char *>(base + entry->Name), dll) != 0) continue;
            if (entry->OriginalFirstThunk == 0) continue;  // no names to match
            const auto *names = reinterpret_cast<const IMAGE_THUNK_DATA *>(base + entry->OriginalFirstThunk);
            auto *addresses = reinterpret_cast<IMAGE_THUNK_DATA *>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto *by_name =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char *>(by_name->Name), function) == 0) {
                    return reinterpret_cast<ULONG_PTR *>(&addresses->u1.Function);
                }
            }
        }
        return nullptr;
    }

    void Write(ULONG_PTR value) {
        DWORD old = 0;
        if (!VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old)) return;
        *slot_ = value;
        VirtualProtect(slot_, sizeof *slot_, old, &old);
    }

    ULONG_PTR *slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

}  // namespace lumo_test
