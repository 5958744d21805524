# Finds QScintilla built for Qt 6 (Debian: libqscintilla2-qt6-dev), which ships no CMake or
# pkg-config file. Defines the imported target QScintilla::QScintilla.
find_package(Qt6 COMPONENTS Core QUIET)
get_target_property(_qm_qt_inc Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
set(_qm_qsci_hints)
foreach(_d IN LISTS _qm_qt_inc)
  get_filename_component(_p "${_d}" DIRECTORY)
  list(APPEND _qm_qsci_hints "${_d}" "${_p}")
endforeach()

find_path(QScintilla_INCLUDE_DIR NAMES Qsci/qsciscintilla.h
  HINTS ${_qm_qsci_hints}
  PATHS /usr/include/x86_64-linux-gnu/qt6 /usr/include/qt6 /usr/local/include/qt6)
find_library(QScintilla_LIBRARY NAMES qscintilla2_qt6)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(QScintilla REQUIRED_VARS QScintilla_LIBRARY QScintilla_INCLUDE_DIR)

if(QScintilla_FOUND AND NOT TARGET QScintilla::QScintilla)
  add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
  set_target_properties(QScintilla::QScintilla PROPERTIES
    IMPORTED_LOCATION "${QScintilla_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${QScintilla_INCLUDE_DIR}"
    INTERFACE_COMPILE_DEFINITIONS QSCINTILLA_DLL
    INTERFACE_LINK_LIBRARIES "Qt6::Widgets;Qt6::PrintSupport")
endif()
mark_as_advanced(QScintilla_INCLUDE_DIR QScintilla_LIBRARY)
