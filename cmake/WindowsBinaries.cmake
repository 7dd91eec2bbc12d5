# The two shipped files: 32-bit, no console, no MinGW DLLs to ship.

# Every object in its own section, so the linker drops what is never called.
foreach(target product_record launcher_logic applet_logic)
  target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
endforeach()

# One object file per group of calls: a program imports only the DLLs of the
# calls it makes (the launcher never loads SHELL32).
add_library(windows_services STATIC
  common/windows/registry_services.cpp
  common/windows/process_services.cpp
  common/windows/message_services.cpp
  common/windows/file_services.cpp
  common/windows/icon_services.cpp)
target_include_directories(windows_services PUBLIC common)
target_compile_options(windows_services PRIVATE -ffunction-sections -fdata-sections)

set(SHIPPED_LINK_OPTIONS
  -static                       # C and C++ runtimes inside the file
  -Wl,--gc-sections
  -Wl,--dynamicbase             # ASLR
  -Wl,--nxcompat                # DEP
  -Wl,--no-insert-timestamp     # same sources, same bytes
  $<$<NOT:$<CONFIG:Debug>>:-s>)

enable_language(RC)

# Version information from the project's one version number.
function(add_version_resource target description file_name file_type)
  set(FILE_DESCRIPTION "${description}")
  set(ORIGINAL_FILENAME "${file_name}")
  get_filename_component(INTERNAL_NAME "${file_name}" NAME_WE)
  set(FILE_TYPE "${file_type}")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()

# Linked as an object, not from the library, so that it replaces the runtime's.
set(TERMINATE_HANDLER common/windows/terminate_handler.cpp)

add_executable(launcher WIN32 launcher/launcher_main.cpp ${TERMINATE_HANDLER})
add_version_resource(launcher "Vellumark launcher" launcher.exe VFT_APP)
set(MANIFEST_FILE "${CMAKE_CURRENT_BINARY_DIR}/launcher.manifest")
configure_file(resources/launcher.manifest.in "${MANIFEST_FILE}" @ONLY)
configure_file(resources/manifest.rc.in "${CMAKE_CURRENT_BINARY_DIR}/launcher_manifest.rc" @ONLY)
target_sources(launcher PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/launcher_manifest.rc")
set_property(SOURCE "${CMAKE_CURRENT_BINARY_DIR}/launcher_manifest.rc"
  APPEND PROPERTY OBJECT_DEPENDS "${MANIFEST_FILE}")
target_link_libraries(launcher PRIVATE launcher_logic product_record windows_services)
target_link_options(launcher PRIVATE ${SHIPPED_LINK_OPTIONS})

add_library(Vellupanel SHARED applet/applet_main.cpp applet/Vellupanel.def ${TERMINATE_HANDLER})
set_target_properties(Vellupanel PROPERTIES PREFIX "" SUFFIX ".cpl")
add_version_resource(Vellupanel "Vellumark Control Panel applet" Vellupanel.cpl VFT_DLL)
target_link_libraries(Vellupanel PRIVATE applet_logic product_record windows_services)
# The .def file names CPlApplet undecorated; it is the __stdcall CPlApplet@16.
target_link_options(Vellupanel PRIVATE ${SHIPPED_LINK_OPTIONS} -Wl,--enable-stdcall-fixup)

# What a packager ships: both files, the registry entries and a short note.
install(TARGETS launcher RUNTIME DESTINATION .)
install(TARGETS Vellupanel RUNTIME DESTINATION . LIBRARY DESTINATION .)
install(FILES resources/vellumark.reg resources/INSTALL.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vellumark-companions)
set(CPACK_PACKAGE_VENDOR Orrindale)
set(CPACK_SYSTEM_NAME win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
