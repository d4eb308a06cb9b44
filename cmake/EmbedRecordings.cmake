# Build-time script: turns the recordings in resource/ into constant byte arrays.
# Usage: cmake -DOUTPUT=<file.cpp> -DINPUTS=<a.wav;b.wav;c.wav> -P EmbedRecordings.cmake
# The generated file defines TarnwellPlugin::embeddedRecording(index) in the given order.

if(NOT OUTPUT OR NOT INPUTS)
    message(FATAL_ERROR "EmbedRecordings.cmake needs OUTPUT and INPUTS")
endif()

set(source "// Generated at build time from the recordings in resource/; do not edit.\n")
string(APPEND source "#include \"WaveLayer.h\"\n\nnamespace TarnwellPlugin {\nnamespace {\n\n")
set(index 0)
set(cases "")
foreach(input IN LISTS INPUTS)
    file(READ "${input}" hex HEX)
    string(LENGTH "${hex}" hexLength)
    math(EXPR size "${hexLength} / 2")
    if(size EQUAL 0)
        message(FATAL_ERROR "empty recording: ${input}")
    endif()
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # 16 bytes per line (CMake's regular expressions have no {n} repetition).
    string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line)
    string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
    get_filename_component(name "${input}" NAME)
    string(APPEND source "// ${name}\nconstexpr uint8_t kRecording${index}[${size}] = {\n    ${bytes}\n};\n\n")
    string(APPEND cases "    case ${index}: return {kRecording${index}, sizeof(kRecording${index})};\n")
    math(EXPR index "${index} + 1")
endforeach()
string(APPEND source "} // namespace\n\nWavImage embeddedRecording(int32_t index) {\n    switch (index) {\n")
string(APPEND source "${cases}    default: return {};\n    }\n}\n\n} // namespace TarnwellPlugin\n")

# Rewrite only on change so dependent objects are not rebuilt needlessly.
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" previous)
    if(previous STREQUAL source)
        return()
    endif()
endif()
file(WRITE "${OUTPUT}" "${source}")
