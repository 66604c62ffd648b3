# cmake -DCHART=FILE -P TidemarkCheckChart.cmake
# Fails unless FILE is a whole PNG of the built-in chart's size: the PNG
# signature, a 6208 x 2500 header and the end chunk as its last bytes.
if(NOT EXISTS "${CHART}")
    message(FATAL_ERROR "No chart picture at ${CHART}")
endif()
file(SIZE "${CHART}" size)
if(size LESS 1000000)
    message(FATAL_ERROR "${CHART}: ${size} bytes, too small for the built-in chart")
endif()
file(READ "${CHART}" head LIMIT 24 HEX)
# The signature, IHDR's length and name, the width 6208 and the height 2500.
set(expected "89504e470d0a1a0a" "0000000d49484452" "00001840" "000009c4")
string(JOIN "" expected ${expected})
if(NOT head STREQUAL expected)
    message(FATAL_ERROR "${CHART} does not start as a 6208 x 2500 PNG: ${head}")
endif()
math(EXPR tail_offset "${size} - 12")
file(READ "${CHART}" tail OFFSET ${tail_offset} HEX)
if(NOT tail STREQUAL "0000000049454e44ae426082")
    message(FATAL_ERROR "${CHART} is cut short: it does not end with the PNG end chunk")
endif()
