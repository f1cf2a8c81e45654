#include "core/db/libpq.h"

#include "core/db/dberror.h"

#include <QString>

#include <dlfcn.h>

#include <optional>

namespace Db {

namespace {

// The library by its soname, so that the version the engine was built for is the one
// loaded; never unloaded.
constexpr const char* LibraryName = "libpq.so.5";

struct Loaded
{
    std::optional<LibPq> functions;
    QString failure;
};

Loaded load()
{
    Loaded loaded;
    void* library = dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        loaded.failure = QString::fromLocal8Bit(dlerror());
        return loaded;
    }
    LibPq functions;
    const char* missing = nullptr;
#define BRISKLANDER_LIBPQ_RESOLVE(name)                                                            \
    functions.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));                   \
    if (!functions.name && !missing)                                                               \
        missing = #name;
    BRISKLANDER_LIBPQ_FUNCTIONS(BRISKLANDER_LIBPQ_RESOLVE)
#undef BRISKLANDER_LIBPQ_RESOLVE
    if (missing)
        loaded.failure =
            QStringLiteral("%1 lacks %2").arg(QLatin1String(LibraryName), QLatin1String(missing));
    else
        loaded.functions = functions;
    return loaded;
}

const Loaded& library()
{
    static const Loaded loaded = load();
    return loaded;
}

} // namespace

const LibPq& pq()
{
    const Loaded& loaded = library();
    if (!loaded.functions)
        throw DbError(Error::CannotOpen,
                      QStringLiteral("The database server cannot be reached: its client library "
                                     "could not be loaded (%1). Install the package libpq5.")
                          .arg(loaded.failure));
    return *loaded.functions;
}

const LibPq* pqIfInstalled()
{
    const Loaded& loaded = library();
    return loaded.functions ? &*loaded.functions : nullptr;
}

} // namespace Db
