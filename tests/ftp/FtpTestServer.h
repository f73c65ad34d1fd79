#ifndef FTP_TEST_SERVER_H
#define FTP_TEST_SERVER_H

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ftptest {

// A local FTP server for the tests: a python3 process with pyftpdlib on
// 127.0.0.1 and a port the system picks, serving a temporary directory.
// Users: "u" with the password "secret"; "nosize", for whom the server
// does not tell file sizes; "drop", whose connection the server closes
// without a reply at the first command after a file it sent. Every new
// control connection is counted.
class FtpTestServer
{
public:
    static const char* password() { return "secret"; }

    // The interpreter that has pyftpdlib; empty when none has it.
    static std::string findPython()
    {
        for (const char* candidate : {"/usr/bin/python3", "python3"}) {
            std::string check = std::string(candidate) + " -c 'import pyftpdlib' >/dev/null 2>&1";
            if (std::system(check.c_str()) == 0)
                return candidate;
        }
        return std::string();
    }

    ~FtpTestServer() { stop(); }

    // Starts the server over a fresh root; false with a reason on failure.
    bool start(const std::string& python, std::string& error)
    {
        m_folder.reset(new lrbtest::ScratchFolder());
        m_base = m_folder->path();
        m_root = m_base + "/root";
        ::mkdir(m_root.c_str(), 0755);
        std::string script = m_base + "/server.py";
        std::ofstream(script) << kScript;
        std::string portFile = m_base + "/port";
        m_connectFile = m_base + "/connections";
        m_logFile = m_base + "/server.log";

        m_pid = ::fork();
        if (m_pid < 0) {
            error = "fork failed";
            return false;
        }
        if (m_pid == 0) {
            std::FILE* log = std::fopen(m_logFile.c_str(), "w");
            if (log) {
                ::dup2(::fileno(log), 1);
                ::dup2(::fileno(log), 2);
            }
            ::execlp(python.c_str(), python.c_str(), script.c_str(), m_root.c_str(), portFile.c_str(),
                     m_connectFile.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Bounded wait for the port the server writes once it listens.
        for (int i = 0; i < 400; ++i) {
            std::ifstream in(portFile);
            if (in >> m_port && m_port > 0)
                return true;
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                error = "server ended: " + readAll(m_logFile);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        error = "server did not report its port: " + readAll(m_logFile);
        stop();
        return false;
    }

    void stop()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            bool ended = false;
            for (int i = 0; i < 100 && !ended; ++i) {
                ended = ::waitpid(m_pid, &status, WNOHANG) == m_pid;
                if (!ended)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            if (!ended) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
            }
            m_pid = -1;
        }
        m_folder.reset();
        m_base.clear();
    }

    int port() const { return m_port; }
    const std::string& root() const { return m_root; }

    // Control connections accepted so far.
    int connections() const
    {
        std::string text = readAll(m_connectFile);
        int count = 0;
        for (char c : text)
            count += c == '\n';
        return count;
    }

    void writeFile(const std::string& path, const std::string& bytes) const
    {
        std::string full = m_root + "/" + path;
        size_t slash = full.rfind('/');
        std::string command = "mkdir -p '" + full.substr(0, slash) + "'";
        if (std::system(command.c_str()) != 0)
            return;
        std::ofstream(full, std::ios::binary) << bytes;
    }

private:
    static std::string readAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static constexpr const char* kScript = R"PY(
import logging, os, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

root, port_file, connect_file = sys.argv[1:4]

class Handler(FTPHandler):
    auth_failed_timeout = 0.1

    def on_connect(self):
        with open(connect_file, "a") as f:
            f.write("c\n")

    def on_file_sent(self, file):
        self.drop_next = self.username == "drop"

    def pre_process_command(self, line, cmd, arg):
        if getattr(self, "drop_next", False):
            self.close()
            return
        return FTPHandler.pre_process_command(self, line, cmd, arg)

    def ftp_SIZE(self, path):
        if self.username == "nosize":
            self.respond("502 Command not implemented.")
            return
        return FTPHandler.ftp_SIZE(self, path)

authorizer = DummyAuthorizer()
authorizer.add_user("u", "secret", root, perm="elr")
authorizer.add_user("nosize", "secret", root, perm="elr")
authorizer.add_user("drop", "secret", root, perm="elr")
Handler.authorizer = authorizer
logging.basicConfig(level=logging.WARNING)
server = FTPServer(("127.0.0.1", 0), Handler)
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.socket.getsockname()[1]))
os.rename(port_file + ".tmp", port_file)
server.serve_forever()
)PY";

    pid_t m_pid = -1;
    int m_port = 0;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_base;
    std::string m_root;
    std::string m_connectFile;
    std::string m_logFile;
};

// A suite sharing one server, started for the suite. Its tests are skipped
// when pyftpdlib is missing and fail when the server did not start; a
// derived SetUp() calls this one first and returns when it skipped or failed.
class FtpServerTest : public ::testing::Test
{
protected:
    // Starts the server; false when there is none.
    static bool startServer()
    {
        s_python = new std::string(FtpTestServer::findPython());
        s_error = new std::string();
        if (s_python->empty())
            return false;
        s_server = new FtpTestServer();
        return s_server->start(*s_python, *s_error);
    }

    static void SetUpTestSuite() { startServer(); }

    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
        delete s_python;
        s_python = nullptr;
        delete s_error;
        s_error = nullptr;
    }

    void SetUp() override
    {
        if (s_python->empty())
            GTEST_SKIP() << "python3-pyftpdlib is not installed";
        ASSERT_TRUE(s_server && s_server->port() > 0) << *s_error;
    }

    // Whether a derived SetUp() must stop after this one's.
    bool setUpStopped() { return IsSkipped() || HasFatalFailure(); }

    static inline std::string* s_python = nullptr;
    static inline std::string* s_error = nullptr;
    static inline FtpTestServer* s_server = nullptr;
};

} // namespace ftptest

#endif
