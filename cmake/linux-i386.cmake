# Builds for 32-bit Linux with Debian's i686 cross compiler, against the i386 libraries of the
# multiarch packages: the 32-bit Windows exe under Wine reaches the host's 32-bit unixODBC, which
# can only load a 32-bit driver. A cross compiler of its own leaves the host's g++ (and so the
# debug and sanitizer builds) exactly as it is.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
# Debian has no pkg-config wrapper for this target; without these it would hand out the amd64
# flags and libraries.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
