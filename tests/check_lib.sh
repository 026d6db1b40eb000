# The tally of the test scripts: expect runs a command and counts it as passed
# or failed; finish_checks prints the closing line and fails if anything did.
passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok: $*"; }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
expect() { # description, then a command that must succeed
  local description=$1
  shift
  if "$@"; then pass "$description"; else fail "$description"; fi
}
finish_checks() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
