/* run_asm_checks(uint32_t results[25]): ABCD, SBCD, NBCD, MOVEP, MOVEM,
   ROXL/ROXR, TAS, CHK, TRAP and DIVS/DIVU overflow, each leaving its results
   in the next slots (order in asm_checks.h). Condition codes are kept only
   where the 68000 defines them. */

	.bss
	.even
bcd_a:		.space	4
bcd_b:		.space	4
scratch:	.space	8
movem_area:	.space	64
chk_count:	.space	4
trap_count:	.space	4
trap_pc_ok:	.space	4

	.text
	.globl	run_asm_checks, chk_exception, trap_3, trap_15

/* A chain of four BCD byte operations on the longs at bcd_a and bcd_b,
   lowest byte first; X clear and Z set beforehand, as for a multi-byte sum. */
	.macro	bcd_chain op
	lea	bcd_a+4, %a0
	lea	bcd_b+4, %a1
	move.w	#0x04, %ccr
	\op	-(%a1), -(%a0)
	\op	-(%a1), -(%a0)
	\op	-(%a1), -(%a0)
	\op	-(%a1), -(%a0)
	.endm

run_asm_checks:
	movem.l	%d2-%d7/%a2-%a6, -(%sp)
	move.l	48(%sp), %a6			/* results */

	/* ABCD: 12345678 + 87654329 = 1 00000007 */
	move.l	#0x12345678, bcd_a
	move.l	#0x87654329, bcd_b
	bcd_chain abcd
	move.w	%sr, %d0
	and.l	#0x15, %d0			/* X, Z, C */
	move.l	bcd_a, (%a6)+
	move.l	%d0, (%a6)+

	/* SBCD: 10000000 - 00000001, then 00000000 - 00000001 (borrows out) */
	move.l	#0x10000000, bcd_a
	move.l	#0x00000001, bcd_b
	bcd_chain sbcd
	move.w	%sr, %d2
	and.l	#0x15, %d2
	lsl.l	#8, %d2
	move.l	bcd_a, (%a6)+
	clr.l	bcd_a
	move.l	#0x00000001, bcd_b
	bcd_chain sbcd
	move.w	%sr, %d0
	and.l	#0x15, %d0
	or.l	%d0, %d2
	move.l	bcd_a, (%a6)+
	move.l	%d2, (%a6)+

	/* NBCD: 0 - 00000123 */
	move.l	#0x00000123, bcd_a
	lea	bcd_a+4, %a0
	move.w	#0x04, %ccr
	nbcd	-(%a0)
	nbcd	-(%a0)
	nbcd	-(%a0)
	nbcd	-(%a0)
	move.w	%sr, %d0
	and.l	#0x15, %d0
	move.l	bcd_a, (%a6)+
	move.l	%d0, (%a6)+

	/* MOVEP: a long to every other byte, and back */
	lea	scratch, %a0
	clr.l	(%a0)
	clr.l	4(%a0)
	move.l	#0x11223344, %d0
	movep.l	%d0, 0(%a0)
	move.l	(%a0), (%a6)+
	move.l	4(%a0), (%a6)+
	movep.l	0(%a0), %d2
	move.l	%d2, (%a6)+
	moveq	#-1, %d1
	movep.w	1(%a0), %d1			/* the zero bytes between */
	move.l	%d1, (%a6)+

	/* MOVEM: eleven registers stored downwards, then words loaded back
	   (sign-extended into data and address registers alike) */
	move.l	#0x11111111, %d1
	move.l	#0x22222222, %d2
	move.l	#0x33333333, %d3
	move.l	#0x44444444, %d4
	move.l	#0x55555555, %d5
	move.l	#0x66666666, %d6
	move.l	#0x77777777, %d7
	move.l	#0xA2A2A2A2, %a2
	move.l	#0xA3A3A3A3, %a3
	move.l	#0xA4A4A4A4, %a4
	move.l	#0xA5A5A5A5, %a5
	lea	movem_area+64, %a0
	movem.l	%d1-%d7/%a2-%a5, -(%a0)
	lea	movem_area+64, %a1
	sub.l	%a0, %a1			/* bytes stored */
	move.l	(%a0), (%a6)+
	move.l	40(%a0), (%a6)+
	move.l	%a1, (%a6)+
	move.w	#0x8001, (%a0)
	move.w	#0x7FFF, 2(%a0)
	move.l	%a0, %a1
	movem.w	(%a1)+, %d0/%a3
	move.l	%d0, (%a6)+
	move.l	%a3, (%a6)+

	/* ROXL/ROXR: rotations through X of every size, by immediate and by
	   register (35: more than the 33 bits of a long and X) */
	move.l	#0x80000001, %d0
	move.w	#0x10, %ccr
	roxl.l	#1, %d0
	roxr.w	#3, %d0
	roxl.b	#5, %d0
	moveq	#35, %d1
	roxr.l	%d1, %d0
	move.w	%sr, %d2
	and.l	#0x11, %d2			/* X, C */
	move.l	%d0, (%a6)+
	move.l	%d2, (%a6)+

	/* TAS: 0x00 and 0x81 tested and marked */
	lea	scratch, %a0
	clr.b	(%a0)
	move.b	#0x81, 1(%a0)
	tas	(%a0)
	move.w	%sr, %d1
	tas	1(%a0)
	move.w	%sr, %d2
	moveq	#0, %d0
	move.b	(%a0), %d0
	lsl.l	#8, %d0
	move.b	1(%a0), %d0
	lsl.l	#8, %d0
	and.b	#0x0C, %d1			/* N, Z */
	move.b	%d1, %d0
	lsl.l	#8, %d0
	and.b	#0x0C, %d2
	move.b	%d2, %d0
	move.l	%d0, (%a6)+

	/* CHK: bound 10; 5 and 10 pass, -1 and 11 trap */
	clr.l	chk_count
	moveq	#5, %d0
	chk.w	#10, %d0
	moveq	#-1, %d0
	chk.w	#10, %d0
	moveq	#11, %d0
	chk.w	#10, %d0
	moveq	#10, %d0
	chk.w	#10, %d0
	move.l	chk_count, (%a6)+

	/* TRAP: #3 and #15, each handler checking the return address */
	clr.l	trap_count
	clr.l	trap_pc_ok
	trap	#3
after_trap_3:
	trap	#15
after_trap_15:
	move.l	trap_count, %d0
	lsl.l	#8, %d0
	or.l	trap_pc_ok, %d0
	move.l	%d0, (%a6)+

	/* DIVS/DIVU: a quotient too big leaves the register as it was and sets V */
	move.l	#0x00100000, %d0
	divs.w	#2, %d0
	move.w	%sr, %d3
	moveq	#-7, %d1
	divs.w	#2, %d1
	move.w	%sr, %d4
	move.l	#0x00100000, %d2
	divu.w	#1, %d2
	move.w	%sr, %d5
	move.l	%d0, (%a6)+
	move.l	%d1, (%a6)+
	move.l	%d2, (%a6)+
	and.l	#2, %d3
	and.l	#2, %d4
	and.l	#2, %d5
	lsl.l	#1, %d3
	lsr.l	#1, %d5
	or.l	%d4, %d3
	or.l	%d5, %d3
	move.l	%d3, (%a6)+

	movem.l	(%sp)+, %d2-%d7/%a2-%a6
	rts

chk_exception:
	addq.l	#1, chk_count
	rte

/* The 68000 stacks the status register, then the return address at 2(sp). */
trap_3:
	addq.l	#0x01, trap_count
	cmp.l	#after_trap_3, 2(%sp)
	bne.s	1f
	addq.l	#1, trap_pc_ok
1:	rte

trap_15:
	add.l	#0x10, trap_count
	cmp.l	#after_trap_15, 2(%sp)
	bne.s	1f
	addq.l	#1, trap_pc_ok
1:	rte
