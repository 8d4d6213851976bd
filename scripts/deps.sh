# Sourced by run.sh and test.sh: installs the Debian packages Ranquill needs
# when any of them is missing (as root, or through sudo).
RANQUILL_PACKAGES=(cmake g++ make pkg-config git qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev qt6-translations-l10n libgl-dev
                   libgtest-dev fonts-liberation2 poppler-utils xvfb xauth)

ensure_packages() {
    local missing=()
    for p in "${RANQUILL_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
    local build_dir="$1"
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build_dir" -j2
}
