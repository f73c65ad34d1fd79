#ifndef SCRATCH_FOLDER_H
#define SCRATCH_FOLDER_H

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace lrbtest {

// A fresh folder below /tmp, removed with everything in it at the end.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        char pattern[] = "/tmp/lorbane-test-XXXXXX";
        if (!::mkdtemp(pattern))
            throw std::runtime_error("no scratch folder");
        m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }

    // Removes everything in the folder; false when something stays.
    bool clear() const
    {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(m_path, error))
            std::filesystem::remove_all(entry.path(), error);
        return !error && std::filesystem::is_empty(m_path, error);
    }

    // The path of `name` in the folder.
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

} // namespace lrbtest

#endif
