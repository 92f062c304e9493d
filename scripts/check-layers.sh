#!/usr/bin/env bash
# Fails when code outside platform/ talks to the operating system directly: an OS or system-library
# header, or a POSIX call. A Windows back end must only have to add files under platform/.
#
# tests/ and bench/ are not checked: a test has to create the conditions the product must survive
# (a killed child, a forked second writer, a symbolic link out of a folder, a raw socket that hangs
# up), and those are operating-system facts by nature.
#   scripts/check-layers.sh [ROOT]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="${1:-$here/..}"
cd "$root"

mapfile -t files < <("$here/list-sources.sh" | grep -vE '^(platform|tests|bench)/' || true)

headers='sys/|linux/|asm/|net/|netinet/|arpa/|unistd\.h|fcntl\.h|dirent\.h|pthread\.h|semaphore\.h|sched\.h'
headers+='|signal\.h|spawn\.h|poll\.h|netdb\.h|ifaddrs\.h|pwd\.h|grp\.h|dlfcn\.h|termios\.h|syslog\.h|mqueue\.h'
headers+='|libgen\.h|glob\.h|fnmatch\.h|wordexp\.h|strings\.h|langinfo\.h|iconv\.h|time\.h|utime\.h|elf\.h'
headers+='|curl/|gtk/|gdk/|glib|gio/|webkit|cairo|pango|X11/|wayland|sqlite3\.h|alsa/|libudev\.h|xf86drm'
headers+='|windows\.h|winsock|wininet\.h|io\.h|direct\.h|process\.h'
include_re="^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"](${headers})"

calls='localtime|localtime_r|gmtime|gmtime_r|timegm|mktime|tzset|clock_gettime|gettimeofday|nanosleep|usleep'
calls+='|getpid|getppid|getuid|geteuid|fork|vfork|execv|execvp|execve|execl|execlp|waitpid|kill|_exit|posix_spawnp?'
calls+='|setenv|unsetenv|putenv|symlink|readlink|unlink|rmdir|mkdir|mkdtemp|mkstemp|chmod|chown|chdir|getcwd'
calls+='|realpath|stat|lstat|fstat|statvfs|truncate|ftruncate|fsync|fdatasync|flock|fcntl|pipe|pipe2|dup|dup2'
calls+='|opendir|readdir|closedir|socket|connect|bind|listen|accept|send|recv|select|poll|epoll_wait'
calls+='|pthread_create|pthread_join|dlopen|dlsym|popen|pclose|isatty|sysconf|iconv_open|iconv|nl_langinfo'
# A free call: not a member (".x(", "->x(") and not a qualified name of ours ("Cls::x("); "::x(" counts.
call_re="(^|[^A-Za-z0-9_:.>])(::)?(${calls})[[:space:]]*\\("

status=0
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  # Calls are looked for without line comments and string literals, so prose and text cannot trip
  # the pattern; includes in the file as it is.
  hits="$( (grep -nE "$include_re" "$f"
    sed -E 's://.*$::; s/"([^"\\]|\\.)*"/""/g' "$f" | grep -nE "$call_re") | sort -t: -k1,1n -u || true)"
  if [ -n "$hits" ]; then
    while IFS= read -r line; do
      echo "$f:$line"
    done <<<"$hits"
    status=1
  fi
done

if [ "$status" -ne 0 ]; then
  echo "check-layers: the lines above reach the operating system outside platform/; add or use a platform/ facility" >&2
fi
exit "$status"
