# Included by CMakeLists.txt in this folder, after add_wine_test.

# The stand-in main program gets an icon of its own, so the Control Panel's
# entry shows the main program's icon and not the shell's generic one.
target_sources(stand_in_main PRIVATE stand_in_main.rc)
target_include_directories(stand_in_main PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})

# applet_host drives the built applet like a Control Panel host and checks
# its answers; window_texts reads what a message box says.
add_executable(applet_host applet_host.cpp)
target_link_libraries(applet_host PRIVATE shell32 gdi32 user32)
add_executable(window_texts window_texts.cpp)
foreach(helper applet_host window_texts)
  target_link_options(${helper} PRIVATE -static)
endforeach()

add_wine_test(applet_host_cases applet_host_cases.sh)
add_wine_test(applet_loads_once applet_loads_once.sh)
add_wine_test(applet_in_control_panel applet_in_control_panel.sh)
add_wine_test(applet_retires_in_control_panel applet_retires_in_control_panel.sh)
