#!/bin/sh
# Prints the program's version as src/resources/Version.h gives it to the program (title, error log,
# update check), for the scripts that name files after it. Exits 1 when it is not "<digits>[.<digits>]".
version=$(sed -n 's/^#define QUILLMARK_VERSION "\(.*\)"$/\1/p' "$(dirname "$0")/../src/resources/Version.h")
case $version in
  '' | *[!0-9.]* | .* | *. | *.*.*) echo "version.sh: no version number found in src/resources/Version.h" >&2; exit 1 ;;
esac
echo "$version"
