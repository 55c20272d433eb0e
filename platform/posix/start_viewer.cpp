#include "platform/posix/start_viewer.h"

#include "platform/posix/program_path.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

// Everything the child needs is prepared before fork: after it, only calls that
// are safe in a child of a threaded process are made.
struct Account {
    uid_t user = 0;
    gid_t group = 0;
    std::vector<gid_t> groups;
    std::vector<std::string> environment;
};

bool lookUp(long userId, Account& account) {
    const passwd* entry = getpwuid(static_cast<uid_t>(userId));
    if (entry == nullptr) {
        return false;
    }
    account.user = entry->pw_uid;
    account.group = entry->pw_gid;
    int count = 32;
    account.groups.resize(static_cast<std::size_t>(count));
    if (getgrouplist(entry->pw_name, entry->pw_gid, account.groups.data(), &count) < 0) {
        account.groups.resize(static_cast<std::size_t>(count));
        getgrouplist(entry->pw_name, entry->pw_gid, account.groups.data(), &count);
    }
    account.groups.resize(static_cast<std::size_t>(count));
    // The viewer reads its settings from the user's home, not root's.
    const std::string home = std::string("HOME=") + entry->pw_dir;
    const std::string user = std::string("USER=") + entry->pw_name;
    const std::string logname = std::string("LOGNAME=") + entry->pw_name;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string text = *variable;
        if (text.rfind("HOME=", 0) != 0 && text.rfind("USER=", 0) != 0 &&
            text.rfind("LOGNAME=", 0) != 0) {
            account.environment.push_back(text);
        }
    }
    account.environment.insert(account.environment.end(), {home, user, logname});
    return true;
}

} // namespace

pid_t startViewer(const char* program, const char* path, const ViewerRoute& route) {
    if (!route.open || program == nullptr || path == nullptr) {
        return -1;
    }
    Account account;
    const bool switching = route.userId >= 0;
    if (switching && !lookUp(route.userId, account)) {
        return -1;
    }
    std::vector<char*> environment;
    for (std::string& variable : account.environment) {
        environment.push_back(variable.data());
    }
    environment.push_back(nullptr);
    // Found before the fork, in the PATH's absolute folders only: root with a
    // relative entry would otherwise run a viewer planted in the current folder.
    std::string programText =
        std::string(program).find('/') == std::string::npos ? programOnPath(program) : program;
    if (programText.empty()) {
        return -1;
    }
    std::string argument = path;
    char* argv[] = {programText.data(), argument.data(), nullptr};

    const pid_t child = fork();
    if (child != 0) {
        return child;
    }
    if (switching) {
        // Groups first: once the user id is dropped, they can no longer be changed.
        if (setgroups(account.groups.size(), account.groups.data()) != 0 ||
            setgid(account.group) != 0 || setuid(account.user) != 0 || getuid() != account.user ||
            geteuid() != account.user) {
            _exit(127);
        }
        execve(argv[0], argv, environment.data());
    } else {
        execv(argv[0], argv);
    }
    _exit(127);
}
