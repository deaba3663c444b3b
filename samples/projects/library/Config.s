* The configuration program, stored as $CONFIG: the calculator runs it at every
* warm start, and it attaches library 1234 (#4D2) to the home directory. This
* project brings its own, so the build compiles this file instead of the
* generated ProjectConfig.s; keep the number in step with the project's ROMID.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
::
  # 4D2
  TOSRRP
;
