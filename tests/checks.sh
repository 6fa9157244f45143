# The count of a shell test's checks. Source it, run `check NAME COMMAND...`
# for each expectation (a failing command's output is shown under its name)
# and end with `finish`, whose status is the test's.
fail=0
passed=0
check() { # name command...
    local name="$1" out
    shift
    if out=$("$@" 2>&1); then
        passed=$((passed + 1))
    else
        echo "FAIL $name"
        [ -n "$out" ] && printf '%s\n' "$out"
        fail=$((fail + 1))
    fi
}
finish() {
    echo "$passed passed, $fail failed"
    [ "$fail" -eq 0 ]
}
