! Writes the reference records of the format cases: for each case the format text, the order
! and counts of its items and their values, as gfortran's own formatted output gives them.
! Usage: format_reference CASES OUTPUT
program format_reference
  implicit none
  character(len=400) :: fmt, text, cases, output
  character(len=4) :: order
  integer :: length, ni, nr, k, status
  integer :: ints(200)
  double precision :: reals(200)

  call get_command_argument(1, cases)
  call get_command_argument(2, output)
  open(10, file=trim(cases), status='old', action='read')
  open(11, file=trim(output), status='replace')
  do
    read(10, '(A)', iostat=status) fmt
    if (status /= 0) exit
    read(10, *) order, length, ni, nr
    text = ' '
    if (length > 0) read(10, '(A)') text
    if (ni > 0) read(10, *) ints(1:ni)
    if (nr > 0) read(10, *) reals(1:nr)
    select case (order)
    case ('SIR')
      if (length > 0) then
        write(11, trim(fmt)) text(1:length), ints(1:ni), reals(1:nr)
      else
        write(11, trim(fmt)) ints(1:ni), reals(1:nr)
      end if
    case ('CIR')
      write(11, trim(fmt)) (text(k:k), k = 1, length), ints(1:ni), reals(1:nr)
    case ('ICR')
      write(11, trim(fmt)) ints(1:ni), (text(k:k), k = 1, length), reals(1:nr)
    case ('LIST')
      if (length > 0) then
        write(11, *) text(1:length), ints(1:ni), reals(1:nr)
      else
        write(11, *) ints(1:ni), reals(1:nr)
      end if
    end select
    write(11, '(A)') '#'
  end do
  close(11)
end program format_reference
