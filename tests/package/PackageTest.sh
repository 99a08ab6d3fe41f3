#!/bin/sh
# PackageTest.sh BUILD_DIR SCRATCH EXAMPLES_DIR gui|nogui
# Builds the Debian package of BUILD_DIR with cpack, unpacks it into a
# scratch root with dpkg-deb and checks it from there: the files are where
# the install layout puts them, the package depends on what the programs
# link, and the programs run from the unpacked tree (libkorvex found through
# their RPATH, asm.sh finding as11 beside itself). Skips (77) without
# dpkg-deb or dpkg-shlibdeps.
set -u
build=$1 scratch=$2 examples=$3 kind=$4
for tool in dpkg-deb dpkg-shlibdeps cpack readelf; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch/out" "$scratch/work" || fail "cannot make $scratch"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack did not build the package"; }
set -- "$scratch"/out/zelk_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "expected one zelk_*.deb in $scratch/out, found: $*"
deb=$1
echo "package: $(basename "$deb"), $(wc -c <"$deb") bytes"

[ "$(dpkg-deb -f "$deb" Package)" = zelk ] || fail "package name is not zelk"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
case "$depends" in *libc6*) ;; *) fail "Depends names no libc6 (dpkg-shlibdeps not run?)" ;; esac
if [ "$kind" = gui ]; then
    case "$depends" in *libqt6widgets6*) ;; *) fail "Depends names no Qt Widgets library" ;; esac
    case "$depends" in *libqt6svg6*) ;; *) fail "Depends names no Qt svg plugins (the icons)" ;; esac
fi

root=$scratch/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
dpkg-deb -c "$deb" >"$scratch/files.txt"

expect() {
    for f in "$@"; do
        [ -e "$root/$f" ] || fail "$f is not in the package"
    done
}
expect usr/bin/as11 usr/bin/asm.sh usr/bin/zelk-sim usr/bin/zelk-board usr/include/korvex.h \
       usr/share/zelk/examples/leds.asm \
       usr/share/man/man1/as11.1 usr/share/man/man1/zelk-sim.1 usr/share/man/man1/zelk-board.1
lib=$(find "$root/usr" -name 'libkorvex.so.1' | head -n 1)
[ -n "$lib" ] || fail "libkorvex.so.1 is not in the package"
readelf -d "$lib" | grep -q 'SONAME.*\[libkorvex\.so\.1\]' || fail "libkorvex.so.1 has no soname libkorvex.so.1"
if [ "$kind" = gui ]; then
    expect usr/bin/zelk usr/share/zelk/ZELK.html usr/share/man/man1/zelk.1 \
           usr/share/applications/org.zelktools.ZELK.desktop \
           usr/share/metainfo/org.zelktools.ZELK.metainfo.xml \
           usr/share/icons/hicolor/scalable/apps/zelk.svg
    for size in 16 32 48 64 128 256; do
        png=$root/usr/share/icons/hicolor/${size}x${size}/apps/zelk.png
        [ -f "$png" ] || fail "no ${size}x${size} icon"
        # PNG signature, then the IHDR width and height as 32-bit big-endian.
        head=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
        hex=$(printf '%08x' "$size")
        [ "$head" = "89504e470d0a1a0a0000000d49484452$hex$hex" ] ||
            fail "${size}x${size}/apps/zelk.png is not a ${size}x${size} PNG"
    done
fi

# The programs find libkorvex inside the unpacked tree, never in the build.
for prog in as11 zelk-sim zelk-board; do
    runpath=$(readelf -d "$root/usr/bin/$prog" | grep -E 'R(UN)?PATH' || true)
    case "$runpath" in *'$ORIGIN'*) ;; *) fail "$prog has no \$ORIGIN-relative RUNPATH: $runpath" ;; esac
    case "$runpath" in *"$build"*) fail "$prog's RUNPATH points into the build tree: $runpath" ;; esac
done
resolved=$(env -u LD_LIBRARY_PATH ldd "$root/usr/bin/zelk-sim" | grep libkorvex)
case "$resolved" in *"$root/"*) ;; *) fail "zelk-sim does not load libkorvex from the package: $resolved" ;; esac

help=$(env -u LD_LIBRARY_PATH "$root/usr/bin/zelk-sim" --help) || fail "zelk-sim --help failed"
case "$help" in "usage: zelk-sim"*) ;; *) fail "zelk-sim --help printed: $help" ;; esac

cp "$examples/leds.asm" "$scratch/work/leds.asm" || fail "no example leds.asm"
(cd "$scratch/work" && env -u LD_LIBRARY_PATH "$root/usr/bin/as11" leds.asm) || fail "as11 leds.asm failed"
[ -s "$scratch/work/leds.s19" ] || fail "as11 wrote no leds.s19"
env -u LD_LIBRARY_PATH "$root/usr/bin/zelk-sim" --max-steps 2000 "$scratch/work/leds.s19" \
    >/dev/null 2>"$scratch/work/sim.err" || { cat "$scratch/work/sim.err"; fail "zelk-sim did not run leds.s19"; }

# The IDE's assemble contract through the installed script.
cp "$examples/leds.asm" "$scratch/work/Temp\$\$\$.asm"
(cd "$scratch/work" && env -u LD_LIBRARY_PATH "$root/usr/bin/asm.sh") || fail "asm.sh failed"
[ -e "$scratch/work/Temp\$\$\$.\$\$\$" ] || fail "asm.sh left no marker"
[ -s "$scratch/work/Temp\$\$\$.s19" ] || fail "asm.sh wrote no S-records"
[ ! -s "$scratch/work/Temp\$\$\$.err" ] || fail "asm.sh reported errors: $(cat "$scratch/work/Temp\$\$\$.err")"

if [ "$kind" = gui ]; then
    version=$(env -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen "$root/usr/bin/zelk" --version) ||
        fail "zelk --version failed from the package"
    case "$version" in *1.*) ;; *) fail "zelk --version printed: $version" ;; esac
fi
echo "files:"
awk '{print $6}' "$scratch/files.txt"
echo "PASS"
