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

# Where the DLLs the program loads were found when it was built: Qt's, the
# libraries' prefixes (import libraries in lib/, DLLs in bin/), and the
# compiler's own run-time.
function(tidemark_windows_dll_directories out)
    set(directories "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
    foreach(root IN LISTS CMAKE_PREFIX_PATH CMAKE_FIND_ROOT_PATH)
        list(APPEND directories "${root}/bin" "${root}/lib")
    endforeach()
    list(APPEND directories ${CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES})
    list(REMOVE_DUPLICATES directories)
    set(${out} "${directories}" PARENT_SCOPE)
endfunction()

# A path of the build machine as Wine shows it to a Windows program: drive Z:
# is the root of the file system.
function(tidemark_wine_path out path)
    string(REPLACE "/" "\\" path "${path}")
    set(${out} "Z:${path}" PARENT_SCOPE)
endfunction()

# The install tree, and the archive made from it, must run on a machine
# without Qt or a compiler. Beside the executable, in DESTINATION: the Qt
# plugins it loads (the Windows platform, the style, the picture readers it
# falls back on), every DLL that it and those plugins need, found where the
# build found them (Qt, the codec libraries, the compiler's run-time), and a
# qt.conf that keeps Qt looking inside the folder.
function(tidemark_deploy_on_install target destination)
    set(plugins "")
    foreach(module IN ITEMS Gui Widgets)
        get_target_property(found Qt6::${module} _qt_plugins)
        foreach(plugin IN LISTS found)
            if(NOT TARGET Qt6::${plugin})
                continue()
            endif()
            get_target_property(type Qt6::${plugin} QT_PLUGIN_TYPE)
            if(type STREQUAL "imageformats" OR plugin STREQUAL "QWindowsIntegrationPlugin"
               OR plugin STREQUAL "QWindowsVistaStylePlugin")
                install(FILES "$<TARGET_FILE:Qt6::${plugin}>" DESTINATION "${destination}/${type}")
                list(APPEND plugins "${type}/$<TARGET_FILE_NAME:Qt6::${plugin}>")
            endif()
        endforeach()
    endforeach()
    if(NOT plugins MATCHES "platforms/")
        message(FATAL_ERROR "Qt's Windows platform plugin was not found")
    endif()

    tidemark_windows_dll_directories(directories)

    set(qt_conf "${CMAKE_CURRENT_BINARY_DIR}/${target}_windows/qt.conf")
    file(WRITE "${qt_conf}" "[Paths]\nPrefix = .\nPlugins = .\n")
    install(FILES "${qt_conf}" DESTINATION "${destination}")

    set(objdump "")
    if(NOT CMAKE_HOST_WIN32)
        find_program(TIDEMARK_OBJDUMP NAMES ${TIDEMARK_MINGW_TRIPLE}-objdump objdump REQUIRED)
        set(objdump "${TIDEMARK_OBJDUMP}")
    endif()
    # The prefix is read when installing, so --prefix and CPack's staging
    # directory are honoured.
    install(CODE "
        set(TIDEMARK_DEPLOY_FOLDER \"${destination}\")
        set(TIDEMARK_DEPLOY_PROGRAM \"$<TARGET_FILE_NAME:${target}>\")
        set(TIDEMARK_DEPLOY_PLUGINS \"${plugins}\")
        set(TIDEMARK_DEPLOY_DIRECTORIES \"${directories}\")
        set(TIDEMARK_DEPLOY_WORK \"${CMAKE_CURRENT_BINARY_DIR}/${target}_windows/dll-names\")
        set(TIDEMARK_DEPLOY_OBJDUMP \"${objdump}\")
        set(TIDEMARK_DEPLOY_STRIP \"${CMAKE_STRIP}\")
        include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/TidemarkDeployWindows.cmake\")
    ")
    if(MSVC)
        # MSVC's run-time libraries are not found beside the compiler.
        set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION "${destination}")
        include(InstallRequiredSystemLibraries)
    endif()
endfunction()
