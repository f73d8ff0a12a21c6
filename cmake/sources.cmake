# sarvilax_collect_sources(<other platform's suffix> <dir>...)
#
# Every folder contributes its sources: sets library_sources and
# test_sources (*_test.cc) in the caller. Entry points (*_main.cc) are left
# for the caller to link, and the other platform's files (*_<other>.cc) and
# their tests are not built.
function(sarvilax_collect_sources other_platform_suffix)
  set(library)
  set(tests)
  foreach(dir IN LISTS ARGN)
    file(GLOB dir_sources CONFIGURE_DEPENDS ${dir}/*.cc)
    foreach(src IN LISTS dir_sources)
      if(src MATCHES "_${other_platform_suffix}(_test)?\\.cc$")
        # other platforms' files and their tests are not built here
      elseif(src MATCHES "_test\\.cc$")
        list(APPEND tests ${src})
      elseif(src MATCHES "_main\\.cc$")
        # entry points are linked by the caller
      else()
        list(APPEND library ${src})
      endif()
    endforeach()
  endforeach()
  set(library_sources ${library} PARENT_SCOPE)
  set(test_sources ${tests} PARENT_SCOPE)
endfunction()
