"""What the tests that run a scan share: a process-id namespace of their own, so that the scan
sees only the hosts they start, and a sample host."""
import os
import subprocess
import sys

UNSHARE = ["unshare", "--pid", "--fork", "--mount-proc"]


def enter_own_namespace():
    """Runs this script again as the first process of a namespace of its own; exits 77 (skipped)
    where none can be had (not root, or a chroot)."""
    if os.getpid() == 1:
        return
    if os.geteuid() == 0 and subprocess.run(UNSHARE + ["true"], capture_output=True).returncode == 0:
        os.execvp("unshare", UNSHARE + ["--kill-child", sys.executable] + sys.argv)
    print("the scan needs root and a process-id namespace of its own")
    sys.exit(77)


def start_sample_host(build, *files):
    """A process named dllhost.exe that holds the files mapped, once it says it is ready."""
    host = subprocess.Popen([os.path.join(build, "tools", "sample_host"), *files],
                            stdout=subprocess.PIPE)
    if host.stdout.readline().strip() != b"ready":
        host.kill()
        sys.exit("the sample host did not start")
    return host
