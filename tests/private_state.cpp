// Linked into every test program: before main() runs, the program gets a
// data and a configuration folder of its own under the temporary folder,
// removed again at exit, and every edit of a document is checked against
// its record of the pieces of long lines (a disagreement ends the test),
// so that no test sees another's recovery journals and none ever touches
// the user's own, however the test is started. A process the test starts
// (one it kills, say) shares the folder and leaves its removal to the test.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

struct PrivateDataFolder {
    std::string path;  // empty in a process started by a test, which shares its folder

    PrivateDataFolder()
    {
        ::setenv("SCRIVLET_CHECK_PIECES", "1", 1);
        if (std::getenv("SCRIVLET_TEST_DATA_OWNER"))
            return;
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/scrivlet-test-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        path = pattern;
        ::setenv("XDG_DATA_HOME", path.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
        ::setenv("SCRIVLET_TEST_DATA_OWNER", std::to_string(::getpid()).c_str(), 1);
    }

    ~PrivateDataFolder()
    {
        if (path.empty())
            return;
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

const PrivateDataFolder privateDataFolder;

} // namespace
