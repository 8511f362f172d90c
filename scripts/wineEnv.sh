# Sourced, with cube_arch set to win32 (the default) or win64: the environment every Wine call
# of the project runs in; scripts/desktop.py reads it from here. Each architecture has a prefix
# of its own, since WINEARCH is fixed when a prefix is made. Call "$wine_loader" and
# "$wine_server" rather than wine and wineserver: Debian's wine script always picks the 32-bit
# loader when wine32 is installed, and on a host without 32-bit support that loader cannot run.
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
cube_arch=${cube_arch:-win32}
export WINEARCH=$cube_arch
export WINEDEBUG=-all
# No prompts to install Mono or Gecko, no host menu entries for what a program installs.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ "$cube_arch" = win64 ]; then
    export WINEPREFIX="$root/build/wineprefix64"
    # Wine starts its further processes through WINELOADER and its server through WINESERVER.
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    wine_loader=$WINELOADER
    wine_server=$WINESERVER
else
    export WINEPREFIX="$root/build/wineprefix"
    unset WINELOADER WINESERVER
    wine_loader=wine
    wine_server=wineserver
fi
