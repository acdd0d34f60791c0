! Writes the records of step-printer and catalogue formats with items of mixed kinds, as
! gfortran prints them. Usage: printer_reference OUTPUT
program printer_reference
  implicit none
  character(len=400) :: output
  character(len=8) :: names(10)
  integer :: u, k

  call get_command_argument(1, output)
  u = 20
  open(u, file=trim(output), status='replace')
  do k = 1, 10
    write(names(k), '(A,I1)') 'NAME', mod(k, 10)
  end do
  write(u,"(1X,A4,'CRITERION FOR ZERO ',A9,' REL. TO TIME',' AVRG. MAX. ',A9,1X,1P,G12.3)") &
    '*** ', 'FLUX     ', 'FIELD    ', 5.0d-3
  write(u,"(1X,A4,'CRITERION FOR RESIDUAL ',A9,' ',25X,1P,G12.3)") '    ', 'MOMENT', 12345.678d0
  write(u,"(1X,A4,'CONTACT TRACK (0 - ADAP, 1 - INC, 2 - ALWAYS)     ',8X,I5)") '*** ', 2
  write(u,"(10X,2(1P,G13.3),I9,4X,1P,G13.3,2X,2A8)") 1.0d-3, 250.0d0, 17, -4.5d6, 'FREQ    ', 'LINEAR  '
  write(u,"(18X,2(1P,G10.3),I6,5X,1P,G13.3,2X,2A8)") 0.0d0, 1.0d0, 3, 0.125d0, 'LOG', 'BIAS'
  write(u,"(/,/,10X,10A8)") names
  write(u,"(/,/,10X,10A8)") names(1:3)
  write(u,"(/,/,24X,'MODES ARE ADDED ACCORDING TO    ',A4,/,24X,'COMPONENTS ADDED ACCORDING TO   ',A8,A1)") &
    'SRSS', 'ALGEBRAI', 'C'
  write(u,"(/,5X,'THE MAXIMUM NUMBER OF INCREMENTS IN THIS STEP IS',17X,I7)") 12345678
  write(u,"(/,5X,'AUTOMATIC STABILIZATION WITH DISSIPATION ','FACTOR = ',1P,G11.3)") 2.0d-4
  write(u,"(10X,'A SUGGESTED INITIAL TIME INCREMENT OF',13X,1P,G12.3,/,10X,'AND A TOTAL TIME PERIOD OF',24X,1P,G12.3)") &
    0.1d0, 1.0d0
  write(u,"(1X,A4,'FIELD CONVERSION RATIO',41X,1P,G12.3)") '    ', -0.0d0
  close(u)
end program printer_reference
