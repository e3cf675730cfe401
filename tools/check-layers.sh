#!/usr/bin/env bash
# Checks the include graph of src/ against the libraries' declared CMake dependencies.
#
# A component is a folder of src/ with its own CMakeLists.txt (src/database, src/chart/qt, ...);
# a file belongs to the nearest such folder above it. The declared dependencies of a component
# are the velmora_* libraries its CMakeLists.txt links (velmora_add_library's DEPS,
# target_link_libraries, list(APPEND ..._libs ...)), and every subsystem library when it loops
# over VELMORA_SUBSYSTEMS (the command-line tool and the desktop program).
#
# Fails when the declared dependencies form a cycle, or when a file includes a header of another
# component that its own component does not reach through the declared dependencies (which is
# how an include of a layer above shows). Run from anywhere; takes well under a second.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A lib_of comp_of_lib deps reach comp_of_dir

# The subsystems named in the top-level CMakeLists.txt.
subsystems=$(tr '\n' ' ' <CMakeLists.txt | grep -oE 'set\(VELMORA_SUBSYSTEMS [^)]*\)' |
    sed -E 's/set\(VELMORA_SUBSYSTEMS //; s/\)$//')

components=()
while IFS= read -r list; do
    comp=${list#src/}
    comp=${comp%/CMakeLists.txt}
    components+=("$comp")
    text=$(sed 's/#.*//' "$list" | tr '\n' ' ')
    lib=$(grep -oE 'velmora_add_library\( *[A-Za-z0-9_]+' <<<"$text" | head -1 |
        sed -E 's/.*\( *//; s/^/velmora_/' || true)
    [ -n "$lib" ] || lib=$(grep -oE '(^| )add_library\( *[A-Za-z0-9_]+' <<<"$text" | head -1 |
        sed -E 's/.*\( *//' || true)
    [ -n "$lib" ] || { echo "check-layers: no library in $list" >&2; exit 2; }
    lib_of[$comp]=$lib
    comp_of_lib[$lib]=$comp
done < <(find src -mindepth 2 -name CMakeLists.txt | sort)

for comp in "${components[@]}"; do
    text=$(sed 's/#.*//' "src/$comp/CMakeLists.txt" | tr '\n' ' ')
    linked=$(grep -oE '(velmora_add_library|target_link_libraries|list) *\([^)]*\)' <<<"$text" |
        grep -oE 'velmora_[A-Za-z0-9_]+' || true)
    if grep -q 'IN LISTS VELMORA_SUBSYSTEMS' <<<"$text"; then
        for sub in $subsystems; do linked+=" velmora_$sub"; done
    fi
    own=${lib_of[$comp]}
    list=" "
    for lib in $linked; do
        dep=${comp_of_lib[$lib]:-}
        [ -n "$dep" ] && [ "$lib" != "$own" ] && [[ "$list" != *" $dep "* ]] && list+="$dep "
    done
    deps[$comp]=$list
done

# CHECK_LAYERS_GRAPH=1 prints each component with its declared dependencies.
if [ -n "${CHECK_LAYERS_GRAPH:-}" ]; then
    for comp in "${components[@]}"; do echo "$comp ->${deps[$comp]}"; done
fi

# No cycle among the declared dependencies.
edges=""
for comp in "${components[@]}"; do
    edges+="$comp $comp"$'\n'
    for dep in ${deps[$comp]}; do edges+="$dep $comp"$'\n'; done
done
if ! loop=$(tsort <<<"$edges" 2>&1 >/dev/null); then
    echo "check-layers: the declared CMake dependencies form a cycle:" >&2
    echo "$loop" >&2
    exit 1
fi

# Every component reaches itself and what its dependencies reach.
for comp in "${components[@]}"; do
    seen=" $comp "
    todo=${deps[$comp]}
    while [ -n "${todo// /}" ]; do
        next=""
        for dep in $todo; do
            [[ "$seen" == *" $dep "* ]] && continue
            seen+="$dep "
            next+=" ${deps[$dep]}"
        done
        todo=$next
    done
    reach[$comp]=$seen
done

# The component of a folder under src/: the nearest folder with a CMakeLists.txt.
component_of() {
    local dir=$1
    while [ -n "$dir" ] && [ -z "${lib_of[$dir]:-}" ]; do
        [[ "$dir" == */* ]] && dir=${dir%/*} || dir=""
    done
    printf '%s' "$dir"
}

failures=0
while IFS=: read -r file line header; do
    header=${header#*\"}
    header=${header%\"*}
    top=${header%%/*}
    [ "$top" != "$header" ] && [ -d "src/$top" ] || continue
    fdir=${file#src/}
    fdir=${fdir%/*}
    [ -n "${comp_of_dir[$fdir]+x}" ] || comp_of_dir[$fdir]=$(component_of "$fdir")
    hdir=${header%/*}
    [ -n "${comp_of_dir[$hdir]+x}" ] || comp_of_dir[$hdir]=$(component_of "$hdir")
    from=${comp_of_dir[$fdir]}
    to=${comp_of_dir[$hdir]}
    [ -n "$from" ] && [ -n "$to" ] || continue
    if [[ "${reach[$from]}" != *" $to "* ]]; then
        echo "$file:$line: includes \"$header\" of $to, which $from (${lib_of[$from]}) does not depend on"
        failures=$((failures + 1))
    fi
done < <(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' src)

if [ "$failures" -ne 0 ]; then
    echo "check-layers: $failures include(s) reach a component that is not a declared dependency" >&2
    exit 1
fi
echo "check-layers: ${#components[@]} components, every include follows the declared dependencies"
