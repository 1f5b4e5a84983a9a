# SPDX-License-Identifier: MIT
# Runs the Python tests in TESTS with pytest, under the first interpreter of
# PYTHONS (separated by |) that has pytest. Where none has, or where REASON
# says why they cannot run here, it prints one line "Python tests skipped:
# <reason>", which ctest takes for a skip (SKIP_REGULAR_EXPRESSION) and
# `make test` repeats in its summary; so does a run whose tests pytest all
# skipped. Called by ctest:
#   cmake -DPYTHONS=/usr/bin/python3|python3 -DTESTS=file.py [-DREASON=...] -P run_pytest.cmake
cmake_minimum_required(VERSION 3.22)

set(skipped "Python tests skipped:")
if(REASON)
  message("${skipped} ${REASON}")
  return()
endif()

string(REPLACE "|" ";" pythons "${PYTHONS}")
set(tried "")
foreach(candidate IN LISTS pythons)
  # A bare name is looked up on PATH as it is when the test runs.
  find_program(python NAMES "${candidate}" NO_CACHE)
  if(NOT python)
    continue()
  endif()
  execute_process(COMMAND "${python}" -c "import pytest" RESULT_VARIABLE no_pytest OUTPUT_QUIET ERROR_QUIET)
  if(no_pytest EQUAL 0)
    break()
  endif()
  list(APPEND tried "${python}")
  unset(python)
endforeach()
if(NOT python)
  list(JOIN tried ", " tried)
  if(NOT tried)
    set(tried "none found")
  endif()
  message("${skipped} no Python with pytest (tried: ${tried}); on Debian, apt-get install python3-pytest")
  return()
endif()

execute_process(COMMAND "${python}" -m pytest -q -rs -p no:cacheprovider ${TESTS} RESULT_VARIABLE failed
                OUTPUT_VARIABLE said ERROR_VARIABLE said)
message("${python}:\n${said}")
if(failed)
  message(FATAL_ERROR "pytest under ${python} failed")
endif()
# The last line counts the tests: "3 skipped in 0.1s" has none that ran.
if(NOT said MATCHES "passed" AND said MATCHES "skipped")
  message("${skipped} pytest under ${python} skipped every test (the reasons are above)")
endif()
