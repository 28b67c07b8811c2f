#!/bin/sh
# Lists the DLLs each Windows program imports and fails on any that is not
# part of Windows itself (a MinGW run-time DLL, libstdc++, libwinpthread...).
set -u
objdump=$1
shift
system="KERNEL32.dll msvcrt.dll USER32.dll SHELL32.dll ole32.dll ADVAPI32.dll GDI32.dll COMCTL32.dll comdlg32.dll
WINMM.dll MSACM32.dll api-ms-win-crt-runtime-l1-1-0.dll"
status=0
for program in "$@"; do
  for dll in $("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    case " $(echo $system) " in
      *" $dll "*) echo "$(basename "$program"): $dll" ;;
      *) echo "$(basename "$program"): $dll is not a DLL of Windows" >&2; status=1 ;;
    esac
  done
done
exit $status
