# Shell functions for the install and package tests (sourced, not run).

# expect_library_loads PROGRAM LIBRARY SCRATCH
#   Starts PROGRAM offscreen from a working folder of its own, with nothing
#   that could point the loader elsewhere, and waits until LIBRARY (the
#   installed decoder library) is mapped into it. The program is ended by its
#   process id afterwards. Prints what went wrong and returns 1 otherwise.
expect_library_loads() {
  local program=$1 library=$2 scratch=$3
  local workdir="$scratch/elsewhere" config="$scratch/config" runtime="$scratch/runtime"
  mkdir -p "$workdir" "$config" "$runtime"
  chmod 700 "$runtime"
  local wanted
  wanted=$(readlink -f "$library")
  (cd "$workdir" && exec env -u LD_LIBRARY_PATH -u LD_PRELOAD QT_QPA_PLATFORM=offscreen \
      XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$runtime" "$program" >"$scratch/program.log" 2>&1) &
  local pid=$! loaded=""
  for _ in $(seq 1 300); do
    if ! kill -0 "$pid" 2>/dev/null; then break; fi
    loaded=$(grep -o '/.*libmpegdll\.so$' "/proc/$pid/maps" 2>/dev/null | head -1 || true)
    [ -n "$loaded" ] && break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if [ "$loaded" != "$wanted" ]; then
    echo "$program did not load $wanted (mapped: '${loaded}')"
    cat "$scratch/program.log"
    return 1
  fi
  if grep -q "Can't load MPEG library" "$scratch/program.log"; then
    echo "$program reported the decoder library missing"
    return 1
  fi
  if [ -e "$workdir/S16c.ini" ]; then
    echo "$program wrote a settings file into its working folder"
    return 1
  fi
  echo "loaded from its install: $loaded"
}

# expect_clean_runpath FILE EXPECTED
#   The RUNPATH of FILE is exactly EXPECTED: no empty entry (which would make
#   the loader search the working folder) and no folder of the build machine.
expect_clean_runpath() {
  local file=$1 expected=$2 runpath
  runpath=$(readelf -d "$file" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
  if [ "$runpath" != "$expected" ]; then
    echo "$file: RUNPATH '$runpath', expected '$expected'"
    return 1
  fi
}
