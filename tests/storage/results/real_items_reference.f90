! Writes reals as the ASCII results form writes them (1P,D22.15), each beside its bit pattern.
! Usage: real_items_reference FOLDER
program real_items_reference
  implicit none
  character(len=400) :: folder
  integer :: k, e
  double precision :: x, f
  double precision, parameter :: fixed(9) = (/ 123.5d0, 0.0d0, 1.0d0, -1.0d0, 1.0d-35, 9.999999999999999d99, &
                                               0.5d0, 1125899906842624.5d0, -2.5d-7 /)
  integer(8) :: bits

  call get_command_argument(1, folder)
  open(20, file=trim(folder)//'/real_items.txt', status='replace')
  do k = 1, size(fixed)
    write(20, '(Z16.16,1X,1P,D22.15)') transfer(fixed(k), bits), fixed(k)
  end do
  do k = 1, 2000
    e = mod(k * 37, 335) - 34
    f = 1.0d0 + mod(k * 0.6180339887498949d0, 1.0d0)
    x = f * 10.0d0**e
    if (mod(k, 2) == 1) x = -x
    write(20, '(Z16.16,1X,1P,D22.15)') transfer(x, bits), x
  end do
  close(20)
end program real_items_reference
