# Copies each console tool of TOOL_LIST alone into an empty folder and runs it there with
# an empty environment: it must start without any library of the build beside it and
# answer as registered. Run as: cmake -DTOOL_LIST=<file> -P CheckToolsAlone.cmake
include(${TOOL_LIST})
set(failures "")
foreach(tool IN LISTS tools)
    string(RANDOM LENGTH 10 suffix)
    set(dir "/tmp/velmora-tool-alone-${suffix}")
    file(REMOVE_RECURSE "${dir}")
    file(MAKE_DIRECTORY "${dir}")
    file(COPY_FILE "${${tool}_file}" "${dir}/${${tool}_copy}")
    file(CHMOD "${dir}/${${tool}_copy}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    execute_process(COMMAND env -i "./${${tool}_copy}" ${${tool}_args}
                    WORKING_DIRECTORY "${dir}" RESULT_VARIABLE code OUTPUT_VARIABLE output
                    ERROR_VARIABLE output TIMEOUT 30)
    file(REMOVE_RECURSE "${dir}")
    string(FIND "${output}" "${${tool}_output}" found)
    if(NOT "${code}" STREQUAL "${${tool}_exit}" OR found EQUAL -1)
        string(APPEND failures "${${tool}_copy} alone: exit ${code} (expected "
               "${${tool}_exit}), output:\n${output}\n")
    else()
        message(STATUS "${${tool}_copy} runs alone")
    endif()
endforeach()
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
