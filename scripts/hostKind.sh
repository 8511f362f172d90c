# Sourced: whether this host can run 32-bit x86 code, which decides the Windows builds it tests
# and runs. Some kernels are built without 32-bit emulation; everything 32-bit (the i386 loader,
# wine32, a win32 prefix) then fails with "Exec format error", whatever is installed.
# CUBE_WIN64_ONLY=1 takes the 64-bit-only path on any host.

# Needs libc6:i386, which scripts/setup installs before it asks.
host_runs_32bit() {
    [ "${CUBE_WIN64_ONLY:-}" = 1 ] && return 1
    /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# Why host_runs_32bit said no, in a few words.
host_32bit_reason() {
    if [ "${CUBE_WIN64_ONLY:-}" = 1 ]; then
        echo "CUBE_WIN64_ONLY=1 is set"
    else
        local answer
        answer=$(/lib/ld-linux.so.2 --version 2>&1 | head -n 1 | sed "s/.*: //")
        echo "this host cannot execute 32-bit x86 code (/lib/ld-linux.so.2: ${answer:-no answer})"
    fi
}

# The Windows builds this host can run, the product first.
host_windows_arches() {
    if host_runs_32bit; then echo "win32 win64"; else echo "win64"; fi
}
