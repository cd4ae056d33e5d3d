# Service hosts the installer talks to. Each is "host" or "host:port"; schemes and paths are fixed in the code.
# Builds for the demo point them at the stand-in vendor service (tools/vendor-service), for example
#   -DPAVONEL_SITE_HOST=127.0.0.1:47443 -DPAVONEL_WEB_HOST=127.0.0.1:47443
#   -DPAVONEL_DOWNLOAD_HOST=127.0.0.1:47443 -DPAVONEL_IPLOOKUP_HOST=127.0.0.1:47080
set(PAVONEL_SITE_HOST "www.tarvix.com" CACHE STRING "Maker's main site (download-address lookup)")
set(PAVONEL_WEB_HOST "web.tarvix.com" CACHE STRING "Maker's web host (usage events, licence page)")
set(PAVONEL_DOWNLOAD_HOST "download.tarvix.com" CACHE STRING "Download host of the built-in package addresses")
set(PAVONEL_IPLOOKUP_HOST "ip.tarvix.com" CACHE STRING "Public IP-lookup service (plain HTTP)")

function(pavonel_configure_hosts target)
  foreach(var PAVONEL_SITE_HOST PAVONEL_WEB_HOST PAVONEL_DOWNLOAD_HOST PAVONEL_IPLOOKUP_HOST)
    if(NOT "${${var}}" MATCHES "^[A-Za-z0-9.-]+(:[0-9]+)?$")
      message(FATAL_ERROR "${var} must be \"host\" or \"host:port\", got \"${${var}}\"")
    endif()
    target_compile_definitions(${target} PRIVATE ${var}=L\"${${var}}\")
  endforeach()
  # System libraries the installer core calls directly (registry, shell folders, path tests, level-by-level opens).
  target_link_libraries(${target} PUBLIC advapi32 shell32 shlwapi ntdll)
endfunction()
