#include "support/KilledWriter.h"

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace Vesk::TestSupport
{

bool KillWriterAfter(const std::function<void()>& write, std::chrono::microseconds after)
{
    int started[2];
    if (::pipe(started) != 0)
        return false;
    pid_t child = ::fork();
    if (child < 0)
    {
        ::close(started[0]);
        ::close(started[1]);
        return false;
    }
    if (child == 0)
    {
        ::close(started[0]);
        char ready = 1;
        if (::write(started[1], &ready, 1) != 1)
            ::_exit(1);
        for (;;)
            write();
    }

    // The delay counts from the moment the child runs, not from the fork.
    ::close(started[1]);
    char ready = 0;
    bool running = ::read(started[0], &ready, 1) == 1;
    ::close(started[0]);
    if (running)
        std::this_thread::sleep_for(after);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    return running && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace Vesk::TestSupport
