# Shared by scripts/run and scripts/test: install what is missing, configure and build.
# Sourced, not run.

NUMAROK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
NUMAROK_BUILD="${NUMAROK_BUILD:-$NUMAROK_ROOT/build}"

# Debian packages the build, the program and the tests need.
NUMAROK_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-liberation2 xvfb xauth xdotool
    python3 python3-dbf libdbd-xbase-perl
    cups printer-driver-cups-pdf poppler-utils
    breeze-icon-theme libqt6svg6
    clang libclang-rt-dev # scripts/fuzz: clang++ and its libFuzzer runtime (libclang-rt-14-dev)
    clang-format          # scripts/test: the code must be formatted (.clang-format)
    desktop-file-utils appstream groff-base # the install test checks the desktop files
)

install_missing_packages() {
    local missing=() pkg
    for pkg in "${NUMAROK_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "These packages are missing and this user cannot install them: ${missing[*]}" >&2
            return 1
        fi
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update
    "${sudo[@]}" apt-get install -y "${missing[@]}"
}

# The print tests print to a real CUPS queue, NumarokPDF, whose files land in the user's
# ~/PDF. Starts the scheduler when it is not running and adds the queue when it is missing.
# The queue turns the program's PDF into PostScript with pdftocairo, which keeps the text
# readable to pdftotext.
ensure_print_queue() {
    local PATH="$PATH:/usr/sbin:/sbin" # cupsd and lpadmin live there
    local sudo=()
    [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null 2>&1 && sudo=(sudo)
    # lpstat -r exits 0 whether or not the scheduler runs; its words tell.
    if ! lpstat -r 2>/dev/null | grep -q "is running"; then
        "${sudo[@]}" cupsd || { echo "Could not start cupsd; the print tests will fail." >&2; return 0; }
        local i
        for i in $(seq 1 50); do
            lpstat -r 2>/dev/null | grep -q "is running" && break
            sleep 0.2
        done
    fi
    if ! lpstat -v NumarokPDF >/dev/null 2>&1; then
        "${sudo[@]}" lpadmin -p NumarokPDF -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
            -o pdftops-renderer-default=pdftocairo ||
            echo "Could not add the print queue NumarokPDF; the print tests will fail." >&2
    fi
}

# The C++ sources that .clang-format governs.
numarok_sources() {
    find "$NUMAROK_ROOT/src" "$NUMAROK_ROOT/tests" "$NUMAROK_ROOT/bench" \( -name '*.cpp' -o -name '*.h' \) | sort
}

# Fails, naming the files, when any source is not formatted; `cmake --build build --target
# format` formats them.
check_format() {
    local files
    mapfile -t files < <(numarok_sources)
    if ! clang-format --dry-run --Werror "${files[@]}"; then
        echo "Unformatted code (above): run  cmake --build build --target format" >&2
        return 1
    fi
}

# Warnings are errors in CI (CI=true).
numarok_werror() {
    if [ "${CI:-}" = true ]; then echo ON; else echo OFF; fi
}

configure_and_build() {
    cmake -S "$NUMAROK_ROOT" -B "$NUMAROK_BUILD" -G Ninja -DNUMAROK_WERROR="$(numarok_werror)"
    cmake --build "$NUMAROK_BUILD" -j "$(nproc)"
}
