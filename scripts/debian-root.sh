# shellcheck shell=bash
# A new Debian root as CI makes it, and the system folders mounted in it.
# Source it; both need root.

make_debian_root() { # release, folder
  if ! command -v mmdebstrap >/dev/null; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null \
      || return 1
  fi
  mmdebstrap --quiet --variant=apt --include=git,ca-certificates "$1" "$2" || return 1
  # Package clients over TLS trust what the host trusts.
  cp /usr/local/share/ca-certificates/* "$2/usr/local/share/ca-certificates/" 2>/dev/null
  chroot "$2" update-ca-certificates >/dev/null || return 1
  cp -L /etc/resolv.conf "$2/etc/resolv.conf"
}

# In a mount namespace of the caller's own, so that the mounts end with it.
# headless sway's captures need /dev/shm writable by everyone.
mount_system_folders() { # root folder
  mount -t proc proc "$1/proc" &&
    mount -t sysfs sysfs "$1/sys" &&
    mount --rbind /dev "$1/dev" &&
    mount --make-rslave "$1/dev" &&
    mount -t tmpfs -o mode=1777 tmpfs "$1/dev/shm"
}

# Replaces the caller with a command run as root in the root, in the tree
# mounted at /root/aurilo, with a clean environment, as CI runs it.
exec_in_root() { # root folder, then the command and its arguments
  local folder=$1
  shift
  exec chroot "$folder" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 TERM=dumb CI=true bash -c 'cd /root/aurilo && "$@"' bash "$@"
}
