#!/usr/bin/env bash
# Builds the .deb from a finished build folder into a folder of its own and checks it: the file list
# (manual pages and bash completion included), dependencies found by dpkg-shlibdeps (Qt 6 and the C++
# runtime, none hand-listed), no lintian error, and no lintian complaint about the manual pages.
#   tests/install/check_deb.sh BUILD_DIR WORK_DIR
set -euo pipefail
build="$1"
work="$2"
rm -rf "$work"
mkdir -p "$work"
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    exit 1
}
deb=$(ls "$work"/*.deb)
echo "built $(basename "$deb")"

failed=0
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
doc=./usr/share/doc/torv-data-loader
for path in ./usr/bin/torvloader ./usr/bin/torvctl ./usr/bin/torvsim \
    ./usr/share/applications/torvloader.desktop ./usr/share/icons/hicolor/48x48/apps/torvloader.png \
    ./usr/share/icons/hicolor/256x256/apps/torvloader.png $doc/README.md $doc/sim/README.md \
    $doc/copyright $doc/changelog.gz ./usr/share/man/man1/torvctl.1.gz ./usr/share/man/man1/torvsim.1.gz \
    ./usr/share/man/man1/torvloader.1.gz ./usr/share/bash-completion/completions/torvctl; do
    if ! grep -qxF "$path" <<<"$contents"; then
        echo "missing from the package: $path"
        failed=1
    fi
done
# Nothing of the build or test tree: only the installed programs, desktop files, documents, manual
# pages and the completion script.
installed='(applications|icons|doc|man|bash-completion)'
if grep -vE "^\./(usr/((bin|share)/|bin/torv(loader|ctl|sim)|share/$installed/.*)?)?\$" <<<"$contents"; then
    echo "unexpected files in the package (above)"
    failed=1
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libqt6core6 libstdc++6 libc6; do
    if ! grep -q "$library" <<<"$depends"; then
        echo "dependency on $library not found by dpkg-shlibdeps"
        failed=1
    fi
done

lintian --fail-on error "$deb" | tee "$work/lintian.log" || failed=1
# Every program has its manual page, and the pages render cleanly.
if grep -E '(no-manual-page|groff-message|manpage-has-)' "$work/lintian.log"; then
    echo "lintian finds fault with the manual pages (above)"
    failed=1
fi
exit $failed
