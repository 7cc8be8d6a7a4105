/* Start-up code shared by the board's programs: the exception vector table
   (fixed in ROM at address 0 on this board), the reset entry that prepares
   work RAM and calls main, and a fallback for unexpected exceptions.

   Every vector points at a weak symbol; a program defines the ones it uses
   (irq_level4 for vector 28, trap_0 for TRAP #0, ...). */

	.macro	handler name
	.weak	\name
	.set	\name, unexpected_exception
	.long	\name
	.endm

	.section .vectors, "a"
	.long	_stack_top		/*  0 reset: supervisor stack pointer */
	.long	_start			/*  1 reset: program counter */
	handler	bus_error		/*  2 */
	handler	address_error		/*  3 */
	handler	illegal_instruction	/*  4 */
	handler	zero_divide		/*  5 */
	handler	chk_exception		/*  6 */
	handler	trapv_exception		/*  7 */
	handler	privilege_violation	/*  8 */
	handler	trace_exception		/*  9 */
	handler	line_a_exception	/* 10 */
	handler	line_f_exception	/* 11 */
	.rept	12			/* 12-23 reserved */
	.long	unexpected_exception
	.endr
	handler	spurious_interrupt	/* 24 */
	handler	irq_level1		/* 25 */
	handler	irq_level2		/* 26: acknowledged at 0xA00000 */
	handler	irq_level3		/* 27: acknowledged at 0x900000 */
	handler	irq_level4		/* 28: acknowledged at 0x800000 */
	handler	irq_level5		/* 29 */
	handler	irq_level6		/* 30 */
	handler	irq_level7		/* 31 */
	handler	trap_0			/* 32-47: TRAP #0-#15 */
	handler	trap_1
	handler	trap_2
	handler	trap_3
	handler	trap_4
	handler	trap_5
	handler	trap_6
	handler	trap_7
	handler	trap_8
	handler	trap_9
	handler	trap_10
	handler	trap_11
	handler	trap_12
	handler	trap_13
	handler	trap_14
	handler	trap_15
	.rept	16			/* 48-63 */
	.long	unexpected_exception
	.endr

	.section .text.start, "ax"
	.globl	_start
_start:
	move.w	#0x2700, %sr		/* supervisor, interrupts masked */
	lea	_stack_top, %sp
	/* Initialised data: copy from ROM. */
	lea	_data_load, %a0
	lea	_data_start, %a1
	lea	_data_end, %a2
1:	cmp.l	%a2, %a1
	bcc.s	2f
	move.l	(%a0)+, (%a1)+
	bra.s	1b
	/* The fixed block and zeroed data: clear. */
2:	lea	_fixed_start, %a1
	lea	_fixed_end, %a2
	bsr.s	clear_range
	lea	_bss_start, %a1
	lea	_bss_end, %a2
	bsr.s	clear_range
	jsr	main
3:	stop	#0x2700			/* main returned: sleep for good */
	bra.s	3b

clear_range:				/* clears longs from a1 up to a2 */
	moveq	#0, %d0
1:	cmp.l	%a2, %a1
	bcc.s	2f
	move.l	%d0, (%a1)+
	bra.s	1b
2:	rts

	/* An exception nobody expected: turn the background red and stop. */
	.globl	unexpected_exception
unexpected_exception:
	move.w	#0x2700, %sr
	move.w	#0x001F, 0x600000
1:	stop	#0x2700
	bra.s	1b
