#!/bin/bash
# The layers, one way: core <- platform <- parts (payload, ui, system) <- the two programs
# (setup, uninstall); the product's own program beside them uses the core and the platform.
# Checks the source tree's includes and which files name the program's
# settings record and payload table. Prints each breach; exits 1 when there is one.
set -u
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root" || exit 2
status=0
breach() { echo "layers: $*"; status=1; }

# The C and C++ headers the core may use: nothing of the platform.
core_headers='^(stddef|stdint|stdarg|string|stdlib|stdio|limits|ctype|math)\.h$'

# quoted_includes FILE: each quoted include, as written.
quoted_includes() { sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$1"; }
angle_includes() { sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' "$1"; }

# may_include LAYER HEADER-FOLDER: whether a file of LAYER may include a header of that folder.
may_include() {
  case "$1:$2" in
    core:core) return 0 ;;
    platform:core | platform:platform) return 0 ;;
    payload:core | payload:platform | payload:payload) return 0 ;;
    ui:core | ui:platform | ui:ui) return 0 ;;
    system:core | system:platform | system:system) return 0 ;;
    setup:uninstall | uninstall:setup) return 1 ;;
    setup:* | uninstall:*) return 0 ;;
    product:core | product:platform | product:product) return 0 ;;
  esac
  return 1
}

for layer in core platform payload ui system setup uninstall product; do
  for file in $(find "$layer" -name '*.cpp' -o -name '*.h' | sort); do
    for header in $(quoted_includes "$file"); do
      case "$header" in
        */*) folder=${header%%/*} ;;
        *) folder=$layer ;;  # beside the file
      esac
      may_include "$layer" "$folder" || breach "$file includes \"$header\" ($layer may not include $folder)"
    done
    if [ "$layer" = core ]; then
      for header in $(angle_includes "$file"); do
        [[ "$header" =~ $core_headers ]] || breach "$file includes <$header>: the core makes no platform call"
      done
    fi
  done
done

# Only the two programs' entry files and the settings definitions name the settings record;
# only the entry files name the payload table and the payload's name list.
allowed='^(setup/winMain\.cpp|uninstall/qxuninst\.cpp|setup/installerSettings\.cpp)$'
for file in $(find core platform payload ui system setup uninstall product -name '*.cpp' -o -name '*.h' | sort); do
  [[ "$file" =~ $allowed ]] && continue
  # Comments are not code: drop // comments before looking.
  if sed -e 's://.*$::' -e '/^[[:space:]]*#[[:space:]]*include/d' "$file" | grep -qwE 'installerSettings|payloadTable|payloadNameList'; then
    breach "$file names the settings record or the payload table"
  fi
done
exit $status
