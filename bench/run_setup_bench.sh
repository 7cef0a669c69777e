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
cp build/windows/setup/app/Setup.exe "$work/start/"

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

# The same work for NSIS twice: silent, and with the pages a user of ours sees too (a directory
# page to confirm, the progress page with the current file, its own close button at the end).
nsis_script() {  # NAME SILENT
  echo 'Target amd64-unicode'  # a 64-bit installer, like ours: Wine here runs 64-bit programs only
  echo "Name \"$1\""
  echo "OutFile \"$1.exe\""
  echo "InstallDir \"C:\\$1\""
  echo 'RequestExecutionLevel user'
  if [ "$2" = silent ]; then echo 'SilentInstall silent'; else printf 'Page directory\nPage instfiles\n'; fi
  echo 'Section'
  echo '  SetOutPath "$INSTDIR\files"'
  for i in $(seq 1 1000); do echo "  File \"$work/start/file$i.dat\""; done
  for i in $(seq 1 200); do echo "  WriteRegStr HKCU \"Software\\$1\" \"Value$i\" \"\$INSTDIR\\files\""; done
  echo "  CreateDirectory \"\$SMPROGRAMS\\$1\""
  for i in $(seq 1 5); do echo "  CreateShortcut \"\$SMPROGRAMS\\$1\\Shortcut $i.lnk\" \"\$INSTDIR\\files\\file$i.dat\""; done
  echo 'SectionEnd'
}
nsis_script BenchNsis silent > "$work/bench.nsi"
nsis_script BenchNsisPages pages > "$work/bench-pages.nsi"
(cd "$work" && makensis -V1 bench.nsi && makensis -V1 bench-pages.nsi)

source tools/wine-session.sh
trap 'wine_session_stop; rm -rf "$work"' EXIT
wine_session_start "$root/build/windows/wineprefix"
# Every installer installs afresh: nothing of an earlier run is left where they install.
for name in BenchOurs BenchOursSilent BenchNsis BenchNsisPages; do rm -rf "$WINEPREFIX/drive_c/$name"; done
for name in Bench BenchNsis BenchNsisPages; do
  rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs/"$name"
done
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
wine build/windows/bench/setup_bench.exe "$(winpath "$root/build/windows/setup/app/Setup.exe")" \
  "$(winpath "$work/start")" "$(winpath "$work/BenchNsis.exe")" "$(winpath "$work/BenchNsisPages.exe")" \
  || echo "setup_bench failed: $?"
