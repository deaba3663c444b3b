* RPL Skeleton: a System RPL program.
*
* Name:    
* Stack:   ( --> )
* Purpose: 
*
ASSEMBLE
        NIBASC  /HPHP48-R/      * the download header the calculator looks for
RPL
::
  CK0NOLASTWD                    ( takes nothing from the stack )

;
