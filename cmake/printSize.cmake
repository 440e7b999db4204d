# Prints the size of FILE: run after the setup program is linked.
file(SIZE "${FILE}" size)
get_filename_component(name "${FILE}" NAME)
message(STATUS "${name} (${ARCH}): ${size} bytes")
