# Run at install time by tidemark_deploy_on_install (TidemarkWindows.cmake):
# copies beside the installed program every DLL that it and its plugins load,
# from where the build found them, and strips them when installing stripped.
#
# Set by the caller: TIDEMARK_DEPLOY_FOLDER (the folder under the install
# prefix), TIDEMARK_DEPLOY_PROGRAM, TIDEMARK_DEPLOY_PLUGINS (paths under the
# folder), TIDEMARK_DEPLOY_DIRECTORIES, TIDEMARK_DEPLOY_WORK (a scratch
# folder), TIDEMARK_DEPLOY_OBJDUMP (MinGW's, when not on Windows) and
# TIDEMARK_DEPLOY_STRIP.

set(folder "${CMAKE_INSTALL_PREFIX}/${TIDEMARK_DEPLOY_FOLDER}")
set(modules "")
foreach(plugin IN LISTS TIDEMARK_DEPLOY_PLUGINS)
    list(APPEND modules "${folder}/${plugin}")
endforeach()

set(directories ${TIDEMARK_DEPLOY_DIRECTORIES})
if(TIDEMARK_DEPLOY_OBJDUMP)
    # Reading Windows executables elsewhere: MinGW's objdump, and the names
    # they import, which CMake compares in lower case, found on a file system
    # that tells case apart through links named in lower case.
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${TIDEMARK_DEPLOY_OBJDUMP}")
    file(REMOVE_RECURSE "${TIDEMARK_DEPLOY_WORK}")
    file(MAKE_DIRECTORY "${TIDEMARK_DEPLOY_WORK}")
    foreach(directory IN LISTS directories)
        file(GLOB dlls "${directory}/*.dll")
        foreach(dll IN LISTS dlls)
            get_filename_component(name "${dll}" NAME)
            string(TOLOWER "${name}" name)
            if(NOT EXISTS "${TIDEMARK_DEPLOY_WORK}/${name}")
                file(CREATE_LINK "${dll}" "${TIDEMARK_DEPLOY_WORK}/${name}" SYMBOLIC)
            endif()
        endforeach()
    endforeach()
    set(directories "${TIDEMARK_DEPLOY_WORK}")
endif()

# What is not found among the directories is the system's own (kernel32.dll
# and the like).
file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES "${folder}/${TIDEMARK_DEPLOY_PROGRAM}"
    MODULES ${modules}
    DIRECTORIES ${directories}
    PRE_EXCLUDE_REGEXES "^api-ms-" "^ext-ms-"
    RESOLVED_DEPENDENCIES_VAR found
    UNRESOLVED_DEPENDENCIES_VAR system)
set(installed "")
foreach(library IN LISTS found)
    file(REAL_PATH "${library}" library)
    file(INSTALL "${library}" DESTINATION "${folder}")
    get_filename_component(name "${library}" NAME)
    list(APPEND installed "${folder}/${name}")
endforeach()
list(JOIN system " " system)
message(STATUS "Left to the system: ${system}")

# The libraries as built carry symbols and, some, the build's paths.
if(CMAKE_INSTALL_DO_STRIP AND TIDEMARK_DEPLOY_STRIP)
    foreach(library IN LISTS installed modules)
        execute_process(COMMAND "${TIDEMARK_DEPLOY_STRIP}" --strip-unneeded "${library}"
                        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endif()
