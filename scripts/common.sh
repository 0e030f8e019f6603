# Sourced by the scripts beside it.

stage() {
    printf '\n===== %s =====\n' "$*"
}

# install_missing <package>...: installs those of the Debian packages that are not installed.
install_missing() {
    local missing=() package
    for package in "$@"; do
        if [[ $(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true) != installed ]]; then
            missing+=("$package")
        fi
    done
    if [[ ${#missing[@]} -eq 0 ]]; then
        stage "All required packages are installed"
        return
    fi

    local as_root=()
    if [[ $EUID -ne 0 ]]; then
        if ! command -v sudo >/dev/null; then
            echo "Missing packages (${missing[*]}); run as root or install sudo." >&2
            exit 1
        fi
        as_root=(sudo)
    fi

    stage "Installing ${missing[*]}"
    "${as_root[@]}" apt-get update
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${missing[@]}"
}
