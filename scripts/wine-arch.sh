# Sourced: what each Windows architecture needs of Wine.
#   velmora_wine_loader x86|x64   the Wine loader that runs its programs
#   velmora_winearch x86|x64      its WINEARCH (the kind of prefix)
#   velmora_build_dir x86|x64     its cross build folder below the build root
# Debian's /usr/bin/wine always picks the 32-bit loader when it is installed,
# even on a host that cannot run it, and no wine64 is on the PATH: each
# architecture names its own loader.
velmora_wine_loader() {
  case "$1" in
    x86) echo /usr/lib/wine/wine ;;
    x64) echo /usr/lib/wine/wine64 ;;
    *) echo "wine-arch: unknown architecture '$1'" >&2; return 2 ;;
  esac
}
velmora_winearch() { case "$1" in x86) echo win32 ;; x64) echo win64 ;; *) return 2 ;; esac; }
velmora_build_dir() { case "$1" in x86) echo win32 ;; x64) echo win64 ;; *) return 2 ;; esac; }
