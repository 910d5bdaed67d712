// Linked into every test program: before main() runs, the program gets a
// data folder of its own under the temporary folder, removed again at exit,
// so that no test sees another's recovery journals and none ever touches
// the user's own, however the test is started.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

struct PrivateDataFolder {
    std::string path;

    PrivateDataFolder()
    {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/scrivlet-test-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        path = pattern;
        ::setenv("XDG_DATA_HOME", path.c_str(), 1);
    }

    ~PrivateDataFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

const PrivateDataFolder privateDataFolder;

} // namespace
