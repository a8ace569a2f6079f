# What `cmake --install` puts in place and what CPack packs: the program, the
# scenario tool and, for Windows, LEGGIMI.txt and CAMPI.txt (the reference of
# every record and field), side by side in one folder (the program writes its
# files beside itself). For the Windows build,
#   cmake --build BUILD --target package
# gives BUILD/Brenvalo_Morvena_4815-windows.zip, whose one folder holds the
# four files.
if(WIN32)
  set(scenario_install_folder .)
  # Windows authors read them in Notepad: CR LF line ends.
  foreach(text LEGGIMI.txt CAMPI.txt)
    configure_file(${CMAKE_CURRENT_SOURCE_DIR}/docs/${text} ${CMAKE_CURRENT_BINARY_DIR}/${text}
                   @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${text} DESTINATION ${scenario_install_folder})
  endforeach()
else()
  set(scenario_install_folder bin)
endif()
install(TARGETS Brenvalo_Morvena_4815 scenario RUNTIME DESTINATION ${scenario_install_folder})

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Brenvalo_Morvena_4815)
if(WIN32)
  set(CPACK_PACKAGE_FILE_NAME Brenvalo_Morvena_4815-windows)
else()
  set(CPACK_PACKAGE_FILE_NAME Brenvalo_Morvena_4815-${CMAKE_SYSTEM_NAME})
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
