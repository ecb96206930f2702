#!/usr/bin/env bash
# Dependencies point downwards only. Each folder lists the folders its includes may name; an
# include of anything else is an upward (or sideways) dependency and fails the build's tests.
set -u
root=${1:-.}
declare -A allowed=(
  [platform]="platform"
  [ui]="ui platform"
  [link]="link platform"
  [protocol]="protocol link platform"
  [jobs]="jobs protocol link platform ui"
  [settings]="settings jobs protocol link platform ui"
  [nvimage]="nvimage jobs protocol link platform ui"
  [firmware]="firmware link platform ui"
  [desktop]="desktop session jobs settings nvimage firmware protocol link platform ui"
  [handheld]="handheld session jobs settings nvimage firmware protocol link platform ui"
  [sim]="sim platform"
  [session]="session jobs settings nvimage protocol link platform ui"
  [cli]="cli session jobs settings nvimage firmware protocol link platform"
)
status=0
for folder in "${!allowed[@]}"; do
  dir="$root/src/$folder"
  [ "$folder" = sim ] && dir="$root/sim"
  [ -d "$dir" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    inc=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$line")
    top=${inc%%/*}
    [ "$top" = "$inc" ] && continue  # same-folder include without a folder
    ok=0
    for a in ${allowed[$folder]}; do [ "$top" = "$a" ] && ok=1; done
    if [ $ok = 0 ]; then
      echo "upward include in $file: $inc"
      status=1
    fi
  done < <(grep -rH '#include "' "$dir" --include='*.h' --include='*.cc' | sed -E 's/:([0-9]+:)?/:/')
done

# Only the platform layer talks to the operating system; the layers above it go through its seams.
posix='#include <(dlfcn|unistd|fcntl|termios|poll|signal|dirent|sys/[a-z_]+|netinet/[a-z_]+|arpa/inet)\.h>'
while IFS= read -r hit; do
  echo "operating-system header above src/platform: $hit"
  status=1
done < <(grep -rEH "$posix" "$root/src" --include='*.h' --include='*.cc' | grep -v "^$root/src/platform/")
# The job engine, the settings transfer, the NV engine, the firmware sender and the printer session
# serve the command line too: only their dialogs/ folders may use the dialog framework.
while IFS= read -r hit; do
  echo "dialog framework in an engine: $hit"
  status=1
done < <(grep -EH '#include "(ui|[a-z]+/dialogs)/' "$root"/src/jobs/*.h "$root"/src/jobs/*.cc \
  "$root"/src/settings/*.h \
  "$root"/src/settings/*.cc "$root"/src/nvimage/*.h "$root"/src/nvimage/*.cc \
  "$root"/src/firmware/*.h "$root"/src/firmware/*.cc "$root"/src/session/*.h \
  "$root"/src/session/*.cc 2>/dev/null)
# Inside the dialog framework the hosts are adapters over the core: the core names no host, and
# no host names another. Dialogs outside src/ui use the core alone.
declare -A ui_allowed=(
  [core]="core"
  [automation]="core automation"
  [terminal]="core terminal"
  [qt]="core qt"
)
for part in "${!ui_allowed[@]}"; do
  [ -d "$root/src/ui/$part" ] || continue
  while IFS= read -r line; do
    inc=$(sed -E 's/.*#include "ui\/([a-z_]+)\/.*/\1/' <<<"$line")
    ok=0
    for a in ${ui_allowed[$part]}; do [ "$inc" = "$a" ] && ok=1; done
    if [ $ok = 0 ]; then
      echo "host or core include across the framework in $line"
      status=1
    fi
  done < <(grep -rH '#include "ui/[a-z_]*/' "$root/src/ui/$part" --include='*.h' --include='*.cc')
done
while IFS= read -r hit; do
  echo "a dialog outside the framework names a host: $hit"
  status=1
done < <(grep -rEH '#include "ui/(automation|terminal|qt|host_choice)' "$root/src" --include='*.h' \
  --include='*.cc' | grep -vE "^$root/src/(ui|desktop/[a-z_]*_main\.cc|handheld/[a-z_]*_main\.cc)")
exit $status
