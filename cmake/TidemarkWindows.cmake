# What a Windows executable carries besides its code, and what its install tree
# needs besides the executable. Nothing here is used on other systems.

set(TIDEMARK_WINDOWS_FILES "${CMAKE_CURRENT_LIST_DIR}/../packaging/windows")
cmake_path(NORMAL_PATH TIDEMARK_WINDOWS_FILES)

# The icon "MAINICON", the version record and the manifest, as resources of
# the executable.
function(tidemark_add_windows_resources target)
    # Both the version record and the manifest want four numbers.
    set(numbers "")
    foreach(field IN ITEMS MAJOR MINOR PATCH TWEAK)
        if("${PROJECT_VERSION_${field}}" STREQUAL "")
            list(APPEND numbers 0)
        else()
            list(APPEND numbers "${PROJECT_VERSION_${field}}")
        endif()
    endforeach()
    list(JOIN numbers "," TIDEMARK_VERSION_COMMAS)
    list(JOIN numbers "." TIDEMARK_VERSION_DOTTED)

    set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_windows")
    set(rc "${out}/${target}.rc")
    set(TIDEMARK_ICON_FILE "${TIDEMARK_WINDOWS_FILES}/tidemark.ico")
    set(TIDEMARK_MANIFEST_FILE "${out}/${target}.manifest")
    configure_file("${TIDEMARK_WINDOWS_FILES}/tidemark.manifest.in" "${TIDEMARK_MANIFEST_FILE}" @ONLY)
    configure_file("${TIDEMARK_WINDOWS_FILES}/tidemark.rc.in" "${rc}" @ONLY)

    target_sources(${target} PRIVATE "${rc}")
    # The resource compiler's dependency scan sees #include only, not the
    # files that ICON and RT_MANIFEST pull in.
    set_property(SOURCE "${rc}" TARGET_DIRECTORY ${target} APPEND PROPERTY
                 OBJECT_DEPENDS "${TIDEMARK_ICON_FILE}" "${TIDEMARK_MANIFEST_FILE}")
    if(MSVC)
        # MSVC's linker writes a manifest of its own and merges listed ones
        # into it; ours already holds the execution level, so it must not add
        # a second one.
        target_sources(${target} PRIVATE "${TIDEMARK_MANIFEST_FILE}")
        target_link_options(${target} PRIVATE /MANIFESTUAC:NO)
    else()
        set_property(SOURCE "${rc}" TARGET_DIRECTORY ${target} APPEND PROPERTY
                     COMPILE_DEFINITIONS TIDEMARK_RC_MANIFEST)
    endif()
endfunction()

# The install tree, and the archive made from it, must run where Qt is not
# installed: windeployqt copies Qt's libraries and the plugins the program
# loads (platform, style, image formats) beside the installed executable.
function(tidemark_deploy_qt_on_install target)
    find_program(TIDEMARK_WINDEPLOYQT windeployqt
                 HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
    if(NOT TIDEMARK_WINDEPLOYQT)
        message(WARNING "windeployqt not found: the installed ${target} will "
                        "only start where Qt's libraries are on the PATH")
        return()
    endif()
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
        set(name ${target})
    endif()
    # The prefix is read when installing, so --prefix and CPack's staging
    # directory are honoured.
    install(CODE "
        set(bindir \"${CMAKE_INSTALL_BINDIR}\")
        if(NOT IS_ABSOLUTE \"\${bindir}\")
            set(bindir \"\${CMAKE_INSTALL_PREFIX}/\${bindir}\")
        endif()
        message(STATUS \"Deploying Qt beside \${bindir}/${name}${CMAKE_EXECUTABLE_SUFFIX}\")
        execute_process(
            COMMAND \"${TIDEMARK_WINDEPLOYQT}\" --no-translations
                    --no-system-d3d-compiler --no-opengl-sw
                    \"\${bindir}/${name}${CMAKE_EXECUTABLE_SUFFIX}\"
            COMMAND_ERROR_IS_FATAL ANY)
    ")
    if(MSVC)
        # windeployqt does not copy MSVC's C++ run-time libraries.
        set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION "${CMAKE_INSTALL_BINDIR}")
        include(InstallRequiredSystemLibraries)
    endif()
endfunction()
