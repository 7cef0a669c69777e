#!/usr/bin/env bash
# Builds both installers for the same payload (1,000 files of 1 KiB, 200 registry values,
# 5 shortcuts), then runs setup_bench under Wine, which times them one after the other.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/ensure-packages.sh nsis
cmake --preset windows >/dev/null
cmake --build --preset windows --target Setup setup_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/start"
for i in $(seq 1 1000); do head -c 1024 /dev/zero | tr '\0' 'x' > "$work/start/file$i.dat"; done
cp build/windows/setup/script/Setup.exe "$work/start/"

{
  printf 'KelSetup:SetupInfo\nBench\nBench.exe\nHKEY_CURRENT_USER\\Software\\BenchOurs\nInstallDir\nC:\\BenchOurs\n'
  printf '0\n0\n0\n1\n0\nBench Setup\nBench Uninstall\nDone.\nRemoved.\n0\n\nKelSetup:AddDirectory\nfiles\n\n'
  printf 'KelSetup:CopyFile\n'
  for i in $(seq 1 1000); do printf 'files\nfile%s.dat\n' "$i"; done
  printf '\nKelSetup:RegistryKey\nHKEY_CURRENT_USER\\Software\\BenchOurs\n\nKelSetup:RegistryValue\n'
  for i in $(seq 1 200); do printf 'HKEY_CURRENT_USER\\Software\\BenchOurs\nValue%s\nREG_SZ\n%%InstallDir%%files\n' "$i"; done
  printf '\nKelSetup:AddProgram\n'
  for i in $(seq 1 5); do printf 'files\\file%s.dat\n\nShortcut %s\n' "$i" "$i"; done
} > "$work/start/setup.txt"

{
  echo 'Target amd64-unicode'  # a 64-bit installer, like ours: Wine here runs 64-bit programs only
  echo 'OutFile "nsis-bench.exe"'
  echo 'InstallDir "C:\BenchNsis"'
  echo 'RequestExecutionLevel user'
  echo 'SilentInstall silent'
  echo 'Section'
  echo '  SetOutPath "$INSTDIR\files"'
  for i in $(seq 1 1000); do echo "  File \"$work/start/file$i.dat\""; done
  for i in $(seq 1 200); do echo "  WriteRegStr HKCU \"Software\\BenchNsis\" \"Value$i\" \"\$INSTDIR\\files\""; done
  echo '  CreateDirectory "$SMPROGRAMS\BenchNsis"'
  for i in $(seq 1 5); do echo "  CreateShortcut \"\$SMPROGRAMS\\BenchNsis\\Shortcut $i.lnk\" \"\$INSTDIR\\files\\file$i.dat\""; done
  echo 'SectionEnd'
} > "$work/bench.nsi"
(cd "$work" && makensis -V1 bench.nsi)

source tools/wine-session.sh
trap 'wine_session_stop; rm -rf "$work"' EXIT
wine_session_start "$root/build/windows/wineprefix"
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
wine build/windows/bench/setup_bench.exe "$(winpath "$root/build/windows/setup/script/Setup.exe")" \
  "$(winpath "$work/start")" "$(winpath "$work/nsis-bench.exe")" || echo "setup_bench failed: $?"
