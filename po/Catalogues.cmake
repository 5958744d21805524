# The interface-language catalogues: po/<lang>.po holds the program's own texts, po/<domain>-<lang>.po
# the other text domains (language names, the toolkit's own texts). Each is compiled to MO at build
# time and embedded as :/locale/<lang>/LC_MESSAGES/<domain>.mo, beside the list of offered languages.
find_program(QUILLMARK_MSGFMT msgfmt REQUIRED)

function(quillmark_add_catalogues target)
  set(_po_dir ${PROJECT_SOURCE_DIR}/po)
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/catalogues)
  file(GLOB _pos CONFIGURE_DEPENDS ${_po_dir}/*.po)
  set(_files)
  foreach(_po IN LISTS _pos)
    get_filename_component(_n ${_po} NAME_WE)
    if(_n MATCHES "^([a-z]+)-([a-z][a-z])$")
      set(_domain ${CMAKE_MATCH_1})
      set(_lang ${CMAKE_MATCH_2})
    else()
      set(_domain default)
      set(_lang ${_n})
    endif()
    set(_mo ${_out}/locale/${_lang}/LC_MESSAGES/${_domain}.mo)
    # --check-format refuses a translation whose %s places differ from the English text.
    add_custom_command(OUTPUT ${_mo}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_out}/locale/${_lang}/LC_MESSAGES
      COMMAND ${QUILLMARK_MSGFMT} --check-format -o ${_mo} ${_po}
      DEPENDS ${_po} VERBATIM)
    list(APPEND _files ${_mo})
  endforeach()
  set(_list ${_out}/locale/languages.txt)
  add_custom_command(OUTPUT ${_list}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/data/languages.txt ${_list}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/languages.txt VERBATIM)
  list(APPEND _files ${_list})
  set_source_files_properties(${_files} PROPERTIES GENERATED TRUE)
  # Stored uncompressed: the reader then works on the resource memory without a copy.
  qt_add_resources(${target} quillmark_catalogues PREFIX "/" BASE ${_out} FILES ${_files} OPTIONS -no-compress)
endfunction()
