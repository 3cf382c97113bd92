# The stand-in NVIDIA management library, as libnvidia-ml.so.1 in a folder of its own per
# variant (complete, an older library, one that lacks half the entry points). Tests load it by
# path or through LD_LIBRARY_PATH; nothing links against it.
set(TEMPYRA_FAKE_NVML_DIR ${CMAKE_BINARY_DIR}/fake_nvml)
if(TARGET fake_nvml_full)
  return()
endif()
foreach(variant full old half)
  add_library(fake_nvml_${variant} SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_nvml.c)
  set_target_properties(fake_nvml_${variant} PROPERTIES
    OUTPUT_NAME nvidia-ml SUFFIX .so.1 C_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${TEMPYRA_FAKE_NVML_DIR}/${variant})
  if(variant STREQUAL "old")
    target_compile_definitions(fake_nvml_${variant} PRIVATE FAKE_NVML_OLD)
  elseif(variant STREQUAL "half")
    target_compile_definitions(fake_nvml_${variant} PRIVATE FAKE_NVML_HALF)
  endif()
endforeach()
