// Resource instance, resource path and file lookup of the toolkit (the portable part).
#include "ui/UIResource.h"

namespace {

void* g_instance = nullptr;

std::string& ResourcePath() {
    static std::string path;
    return path;
}

} // namespace

void CResourceAccess::SetInstance(void* instance) {
    g_instance = instance;
}

void* CResourceAccess::GetInstance() {
    return g_instance;
}

std::string CResourceAccess::GetInstancePath() {
    if (!g_instance)
        return std::string();
    std::string file = PlatformModuleFileName(g_instance);
    size_t slash = file.find_last_of('\\');
    if (slash == std::string::npos)
        return std::string();
    return file.substr(0, slash + 1);
}

void CResourceAccess::SetResourcePath(const char* path) {
    std::string& stored = ResourcePath();
    stored = path ? path : "";
    if (!stored.empty() && stored.back() != '\\' && stored.back() != '/')
        stored += '\\';
}

const std::string& CResourceAccess::GetResourcePath() {
    return ResourcePath();
}

FileReadStatus CResourceAccess::ReadResourceFile(const char* name, size_t maxBytes,
                                                 std::string& bytes) {
    bytes.clear();
    if (!name)
        return FileReadStatus::OpenFailed;
    return PlatformReadFile(ResourcePath() + name, maxBytes, bytes);
}

FileReadStatus CResourceAccess::ReadSkinFile(const char* name, size_t maxBytes,
                                             std::string& bytes) {
    FileReadStatus status = ReadResourceFile(name, maxBytes, bytes);
    if (status != FileReadStatus::OpenFailed || !name || !*name)
        return status;
    return PlatformReadFile(name, maxBytes, bytes);
}

bool CResourceAccess::ReadCompiledResource(void* instance, unsigned long id, const char* type,
                                           std::string& bytes) {
    bytes.clear();
    // Only 1..65535 can be resource numbers; anything larger would be taken for a pointer
    // to a resource name.
    if (id == 0 || id >= 65536 || !type)
        return false;
    return PlatformReadResource(instance ? instance : g_instance, unsigned(id), type, bytes);
}
