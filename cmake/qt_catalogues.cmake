# Each given catalogue xx.po as Qt loads it: made into xx.qm by lconvert and
# put into `target`'s resources as :/i18n/xx.qm.
find_program(KB_LCONVERT lconvert HINTS /usr/lib/qt6/bin REQUIRED)

function(kb_add_qt_catalogues target)
    set(qm_files "")
    foreach(po IN LISTS ARGN)
        get_filename_component(code ${po} NAME_WE)
        set(qm ${CMAKE_CURRENT_BINARY_DIR}/${target}_${code}.qm)
        add_custom_command(OUTPUT ${qm} COMMAND ${KB_LCONVERT} -i ${po} -o ${qm} DEPENDS ${po} VERBATIM)
        set_source_files_properties(${qm} PROPERTIES QT_RESOURCE_ALIAS i18n/${code}.qm)
        list(APPEND qm_files ${qm})
    endforeach()
    if(qm_files)
        qt_add_resources(${target} ${target}_catalogues PREFIX / FILES ${qm_files})
    endif()
endfunction()
